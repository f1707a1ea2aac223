# Libraries each fuzz target links, by target name (without the fuzz_ prefix).
