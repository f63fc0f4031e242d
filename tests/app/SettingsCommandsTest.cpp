#include "tests/app/GuiTestSupport.h"
