// Every test of the application starts with a program folder that holds the shipped code trees and nothing else.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "app/model/KestrimaConfig.h"
#include "support/TempDir.h"

namespace {

// The main window loads its code tree as it is made and reports a missing one in a message box that
// would wait for an answer. The other support files stay missing, as the tests expect of a program
// that is not installed; a test that wants them points the folder elsewhere itself.
class TCodeTreesFolder : public ::testing::EmptyTestEventListener {
public:
    TCodeTreesFolder()
    {
        namespace fs = std::filesystem;
        const fs::path shipped = fs::path(KESTRIMA_SOURCE_DIR) / "resources" / "Docs";
        fs::create_directory(FFolder.path / "Docs");
        for (const fs::directory_entry& entry : fs::directory_iterator(shipped))
            if (entry.path().extension() == ".krc")
                fs::copy_file(entry.path(), FFolder.path / "Docs" / entry.path().filename());
    }

private:
    void OnTestStart(const ::testing::TestInfo&) override { SetProgramFolder(FFolder.path.string()); }
    TempDir FFolder{"code-trees"};
};

const bool registered = [] {
    ::testing::UnitTest::GetInstance()->listeners().Append(new TCodeTreesFolder);
    return true;
}();

} // namespace
