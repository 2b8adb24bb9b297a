// Random editing sessions against the undo log: undoing everything gives back the text byte for byte,
// and the text reads as unmodified only when it is the text that was saved.
#include <gtest/gtest.h>
#include <random>
#include <string>

#include "CodeMemoTestSupport.h"
#include "support/RandomText.h"

namespace {

class TPastEndMemo : public TCodeMemo {
public:
    void ForceCaretAfterEOL() { FCaretAfterEOL = true; }
};

} // namespace

TEST(EditHistory, RandomSessionsUndoToTheOriginalBytes)
{
    std::mt19937 random(2312);
    for (int session = 0; session < 40; ++session) {
        TPastEndMemo memo;
        SetOption(memo, smoCaretAfterEOL, true);
        SetOption(memo, smoUseTAB, session % 2 == 0);
        SetOption(memo, smoWordWrap, session % 3 == 0);
        memo.ForceCaretAfterEOL();
        const std::string original = "  one\r\ttwo\r\rthree four five\r  six";
        SetText(memo, original);
        memo.Perform(EM_EMPTYUNDOBUFFER, 0, 0);
        const std::string saved = memo.StoredText();
        for (int step = 0; step < 120; ++step) {
            const int length = memo.TextLength();
            const int a = length ? int(random() % (length + 1)) : 0;
            const int b = length ? int(random() % (length + 1)) : 0;
            switch (random() % 8) {
            case 0:
            case 1:
                Select(memo, a, b);
                Insert(memo, RandomTextUpTo(random, "ab  \t\r\r<>xyz", 5).c_str());
                break;
            case 2:
                Select(memo, a, b);
                memo.Perform(SMM_UNINDENT, random() % 3, 0);
                break;
            case 3:
                Select(memo, a, b);
                memo.Perform(SMM_INDENT, random() % 3, random() % 2);
                break;
            case 4: {
                // Past the end of a line, then typing: the fill and the character are one change.
                Select(memo, a, a);
                press(memo, VK_END);
                for (int n = int(random() % 5); n > 0; --n)
                    press(memo, VK_RIGHT);
                memo.InsertTypedChar(random() % 2 ? 'q' : '\r');
                break;
            }
            case 5:
                Select(memo, a, a);
                press(memo, random() % 2 ? VK_BACK : VK_DELETE);
                break;
            case 6:
                Ask(memo, EM_UNDO);
                break;
            default:
                Ask(memo, SMM_REDO);
                break;
            }
            if (!Ask(memo, SMM_MODIFIED)) {
                EXPECT_EQ(memo.StoredText(), saved) << "session " << session << " step " << step;
            }
        }
        while (Ask(memo, EM_CANUNDO))
            Ask(memo, EM_UNDO);
        EXPECT_EQ(memo.StoredText(), saved) << "session " << session;
        EXPECT_EQ(Ask(memo, SMM_MODIFIED), 0);
    }
}
