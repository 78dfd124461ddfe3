// Platform layer sources are added beside this file.
