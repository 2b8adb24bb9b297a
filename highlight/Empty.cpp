// Placeholder unit so that the highlight library builds before its first unit lands.
