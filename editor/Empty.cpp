// Placeholder unit so that the editor library builds before its first unit lands.
