#include <gtest/gtest.h>
#include "skin/controls/buttons.h"
#include "skin/frame/tests/frame_test_support.h"
TEST(ButtonsWin, Placeholder) {}
