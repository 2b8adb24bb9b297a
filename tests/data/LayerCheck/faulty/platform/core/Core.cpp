// A core unit with a Qt module header.
#include <QtCore/QList>
