tessaro_sources(editors Upargen USetVar USetDiagnosis)
