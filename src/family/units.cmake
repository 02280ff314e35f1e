tessaro_sources(family USdo Updo UInfoPdo Uemcy UWemcy USetPdo FamilyIO)
