// Placeholder unit so that the components library builds before its first unit lands.
