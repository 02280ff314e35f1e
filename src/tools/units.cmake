tessaro_sources(tools UAbout Uhelp SELstringhe UXML)
