// A unit of a new folder of the platform that has no row yet.
#include <QLocalSocket>
