// A support component's header.
#pragma once
#include <QWidget>
