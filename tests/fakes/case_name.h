#pragma once

#include <gtest/gtest.h>

#include <string>

namespace clicker::testing {

// Names each case of a parameterized table after its `name` field.
struct CaseName {
    template <class Case>
    std::string operator()(const ::testing::TestParamInfo<Case>& param) const {
        return param.param.name;
    }
};

}  // namespace clicker::testing
