// A parser's settings loan: the stand-in, the put-aside editor list and their return on every path.
#include <gtest/gtest.h>

#include <memory>
#include <stdexcept>
#include <vector>

#include "editor/CodeMemo.h"
#include "support/WordParser.h"

namespace {

using Editors = std::vector<TParserClient*>;

TEST(ParserSettingsLoan, LendsTheSettingsAndTheEditorListAndGivesBothBack)
{
    TWordParser parser;
    TCodeMemo owner, example;
    owner.SetParser1(&parser);
    TSM_Settings* own = &parser.Settings();
    own->Gutter = 55;
    for (bool raise : {false, true}) {
        try {
            auto standIn = std::make_unique<TSM_Settings>();
            TSM_Settings* copy = standIn.get();
            TParserSettingsLoan loan(parser, std::move(standIn));
            EXPECT_EQ(&parser.Settings(), copy);
            EXPECT_EQ(&loan.StandIn(), copy);
            EXPECT_EQ(&loan.Lent(), own);
            EXPECT_TRUE(parser.Editors().empty());
            EXPECT_EQ(loan.LentEditors(), Editors{&owner});
            parser.AttachEditor(&example);
            EXPECT_EQ(copy->Clients(), std::vector<TSettingsClient*>{&example});
            copy->Gutter = 12;
            if (raise)
                throw std::runtime_error("on the way");
        } catch (const std::runtime_error&) {
        }
        EXPECT_EQ(&parser.Settings(), own);
        EXPECT_EQ(own->Gutter, 55);
        EXPECT_EQ(parser.Editors(), Editors{&owner});
        EXPECT_FALSE(parser.IsAttached(&example));
        EXPECT_EQ(&owner.ActiveSettings(), own);
    }
}

TEST(ParserSettingsLoan, NestsAndForgetsAnEditorThatGoesMeanwhile)
{
    TWordParser parser;
    auto leaving = std::make_unique<TCodeMemo>();
    TCodeMemo staying;
    leaving->SetParser1(&parser);
    staying.SetParser1(&parser);
    TSM_Settings* own = &parser.Settings();
    {
        TParserSettingsLoan outer(parser, nullptr); // a default stand-in
        TSM_Settings* first = &parser.Settings();
        EXPECT_NE(first, own);
        {
            TParserSettingsLoan inner(parser, std::make_unique<TSM_Settings>());
            EXPECT_EQ(&inner.Lent(), first);
            leaving.reset();
            EXPECT_EQ(outer.LentEditors(), Editors{&staying});
        }
        EXPECT_EQ(&parser.Settings(), first);
    }
    EXPECT_EQ(&parser.Settings(), own);
    EXPECT_EQ(parser.Editors(), Editors{&staying});
}

} // namespace
