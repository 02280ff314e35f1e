tessaro_sources(project)
