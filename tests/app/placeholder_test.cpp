#include <gtest/gtest.h>
TEST(App, Builds) {}
