#pragma once
// Runs a test in every mode of the renderer: generated code or interpreter,
// with or without the MMX forms.

#include <gtest/gtest.h>

#include <string>
#include <tuple>

#include "render/RenderMachine.h"

class RenderModeTest : public testing::TestWithParam<std::tuple<bool, bool>> {
 protected:
  bool SavedMMX = CpuHasMMX;
  bool Interpreter() const { return std::get<0>(GetParam()); }
  bool Mmx() const { return std::get<1>(GetParam()); }
  void SetUp() override {
    CpuHasMMX = Mmx() && ProbeCpuMMX();
    RenderForceInterpreter = Interpreter();
  }
  void TearDown() override {
    CpuHasMMX = SavedMMX;
    RenderForceInterpreter = false;
  }
};

inline std::string RenderModeName(const testing::TestParamInfo<std::tuple<bool, bool>>& info) {
  return std::string(std::get<0>(info.param) ? "Interpreter" : "Generated") +
         (std::get<1>(info.param) ? "Mmx" : "Integer");
}

#define INSTANTIATE_RENDER_MODES(Suite) \
  INSTANTIATE_TEST_SUITE_P(Modes, Suite, testing::Combine(testing::Bool(), testing::Bool()), RenderModeName)
