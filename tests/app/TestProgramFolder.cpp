// Every application test starts with a program folder of its own that holds the shipped palette and code trees only, so a window finds them and no other support file.
#include <gtest/gtest.h>

#include "app/model/KestrimaConfig.h"

namespace {

class TTestProgramFolder : public ::testing::Environment {
public:
    void SetUp() override { SetProgramFolder(KESTRIMA_TEST_PROGRAM_FOLDER); }
};

const auto* const kTestProgramFolder = ::testing::AddGlobalTestEnvironment(new TTestProgramFolder);

} // namespace
