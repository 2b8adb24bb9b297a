// Another model unit.
#pragma once
#include <map>
