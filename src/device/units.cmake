tessaro_sources(device UBootSer ModifyFileSx)
