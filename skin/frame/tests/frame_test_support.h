// Shared by the frame's Windows tests: the process is set up as the game sets
// it up (raster library, built-in skin images, application object) once,
// before the first test, and a fixture gives each test a fresh form.
#pragma once

#include "gfx/blend.h"
#include "skin/resources/skin_res_manager.h"
#include "toolkit/win/application.h"
#include "toolkit/win/forms.h"

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <memory>
#include <thread>

class TFrameTestEnvironment : public ::testing::Environment {
public:
  void SetUp() override {
    GR32Initialize();
    SkinResManager();
    Application->Initialize();
  }
};

inline ::testing::Environment* const FrameTestEnvironment =
    ::testing::AddGlobalTestEnvironment(new TFrameTestEnvironment);

// Processes messages until Done answers true or TimeoutMs pass; true when Done did.
inline bool PumpUntil(const std::function<bool()>& Done, int TimeoutMs = 2000) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(TimeoutMs);
  while (!Done()) {
    if (std::chrono::steady_clock::now() > end) return false;
    Application->ProcessMessages();
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  return true;
}

// Processes messages for about Ms milliseconds.
inline void PumpFor(int Ms) {
  PumpUntil([] { return false; }, Ms);
}

class FrameWin : public ::testing::Test {
protected:
  void SetUp() override {
    Form = std::make_unique<TForm>(nullptr);
    Form->SetBounds(100, 100, 654, 400);
    Form->AfterConstruction();
  }
  void TearDown() override { Form.reset(); }
  std::unique_ptr<TForm> Form;
};
