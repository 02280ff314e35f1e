tessaro_sources(app UTessaroFirmWare Unewp Forms FormBase)
