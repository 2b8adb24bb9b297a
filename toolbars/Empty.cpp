// Placeholder unit so that the toolbars library builds before its first unit lands.
