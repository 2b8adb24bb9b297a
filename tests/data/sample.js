// Funciones de prueba
/* Bloque de
   comentario */
var nombres = ["Ana", 'Luis'], total = 0;
var patron = /^[a-z]+$/i, mitad = total / 2;
function cuenta(lista) {
  for (var i = 0; i < lista.length; i++) {
    if (patron.test(lista[i])) total += 1.5e3;
  }
  return typeof lista == "object" ? null : 0xFF;
}
document.write(cuenta(nombres) + " " + Math.round(mitad));
alert('¡Hola!');
x = a / b / c;
