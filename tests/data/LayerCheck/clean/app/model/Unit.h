// A model unit that uses only its own layer and the layers under it.
#pragma once
#include <string>
#include <vector>
#include "app/model/Other.h"
#include "components/core/StrUtils.h"
#include "platform/core/Classes.h"
#include "Beside.h"
