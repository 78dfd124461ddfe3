// Logic of the program is added beside this file.
