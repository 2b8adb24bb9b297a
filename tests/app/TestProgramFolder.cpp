// Every application test starts with a program folder of its own that holds the shipped palette, code trees and tips only, so a window finds them and no other support file; the tip window shown at start is closed at once unless a test answers it.
#include <gtest/gtest.h>

#include "app/dialogs/Tips.h"
#include "app/model/KestrimaConfig.h"

namespace {

class TTestProgramFolder : public ::testing::Environment {
public:
    void SetUp() override
    {
        SetProgramFolder(KESTRIMA_TEST_PROGRAM_FOLDER);
        SetTipsHook([](TTipForm&) {});
    }
};

const auto* const kTestProgramFolder = ::testing::AddGlobalTestEnvironment(new TTestProgramFolder);

} // namespace
