#pragma once
// A named child widget of a window under test; a missing one fails the test where it is asked for.

#include <QWidget>
#include <gtest/gtest.h>

namespace vespian::testing {

template <typename T>
T* child(const QWidget& parent, const char* name) {
    T* found = parent.findChild<T*>(name);
    EXPECT_NE(found, nullptr) << name;
    return found;
}

}  // namespace vespian::testing
