// Test helper that answers the message boxes from a list while it lives and keeps their texts and flags.
#pragma once

#include <deque>
#include <string>
#include <utility>
#include <vector>

#include "platform/MessageBox.h"

// Answers the message boxes in turn (`otherwise` when the list runs out) and keeps what they said;
// the hook it replaced comes back when it goes.
struct TBoxAnswers {
    std::deque<int> answers;
    std::vector<std::string> texts;
    std::vector<unsigned> flags;

    explicit TBoxAnswers(std::deque<int> list = {}, int otherwise = IDOK) : answers(std::move(list))
    {
        FPrevious = SetMessageBoxHook([this, otherwise](const std::string& text, const std::string&, unsigned f) {
            texts.push_back(text);
            flags.push_back(f);
            if (answers.empty())
                return otherwise;
            const int answer = answers.front();
            answers.pop_front();
            return answer;
        });
    }
    ~TBoxAnswers() { SetMessageBoxHook(std::move(FPrevious)); }
    TBoxAnswers(const TBoxAnswers&) = delete;
    TBoxAnswers& operator=(const TBoxAnswers&) = delete;

private:
    TMessageBoxHook FPrevious;
};
