#include "toolkit/win/tests/toolkit_test_support.h"
