!function(e){var t="",n="Señor “Pérez”";e.sep=t;e.name=n;e.q="?a=1&b=2&ntilde;"}(window);
//# sourceMappingURL=x.map