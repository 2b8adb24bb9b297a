// The unit header.
#pragma once
#include <platform/MessageBox.h>
#include "Missing.h"
