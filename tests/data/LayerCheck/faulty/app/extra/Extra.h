// A unit of a new folder of the application that has no row yet.
#pragma once
#include <QWidget>
