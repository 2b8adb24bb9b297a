// The unit beside it.
#pragma once
