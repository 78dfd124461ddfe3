// Windows of the program are added beside this file.
