tessaro_sources(widgets)
