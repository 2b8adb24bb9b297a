// TStringList as a Qt meta-type, so that a Q_PROPERTY can hold one and a QVariant can carry it.
#pragma once

#include <QMetaType>

#include "platform/core/Classes.h"

Q_DECLARE_METATYPE(TStringList)
