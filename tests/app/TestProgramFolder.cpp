// Every application test starts with a program folder of its own that holds the shipped palette only, so a window's first show finds its palette and no other support file.
#include <gtest/gtest.h>

#include "app/model/KestrimaConfig.h"

namespace {

class TTestProgramFolder : public ::testing::Environment {
public:
    void SetUp() override { SetProgramFolder(KESTRIMA_TEST_PROGRAM_FOLDER); }
};

const auto* const kTestProgramFolder = ::testing::AddGlobalTestEnvironment(new TTestProgramFolder);

} // namespace
