// Test helper that makes every DDE client conversation a recording one while it lives.
#pragma once

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "platform/DdeClient.h"

// Keeps each call of the conversations as text ("link S|T", "open S|T", "request ITEM", "close",
// "app PROGRAM" when a conversation is made); links open when `opens` says so.
struct TRecordingDde {
    std::vector<std::string> calls;
    bool opens = true;

    TRecordingDde()
    {
        FPrevious = SetDdeClientFactory([this] { return std::make_unique<TConv>(*this); });
    }
    ~TRecordingDde() { SetDdeClientFactory(std::move(FPrevious)); }
    TRecordingDde(const TRecordingDde&) = delete;
    TRecordingDde& operator=(const TRecordingDde&) = delete;

    // The requests only, in order.
    std::vector<std::string> requests() const
    {
        std::vector<std::string> result;
        for (const std::string& call : calls)
            if (call.starts_with("request "))
                result.push_back(call.substr(8));
        return result;
    }

private:
    class TConv : public TDdeClientConv {
    public:
        explicit TConv(TRecordingDde& log) : FLog(log) {}
        ~TConv() override { FLog.calls.push_back("app " + FServiceApplication); }
        bool SetLink(const std::string& service, const std::string& topic) override
        {
            FLog.calls.push_back("link " + service + "|" + topic);
            return TDdeClientConv::SetLink(service, topic);
        }
        bool OpenLink() override
        {
            FLog.calls.push_back("open " + FService + "|" + FTopic);
            FOpen = FLog.opens && !FService.empty();
            return FOpen;
        }
        bool RequestData(const std::string& item, std::string& data) override
        {
            FLog.calls.push_back("request " + item);
            data.clear();
            return FOpen;
        }
        void CloseLink() override
        {
            if (FOpen)
                FLog.calls.push_back("close");
            FOpen = false;
        }

    private:
        TRecordingDde& FLog;
        bool FOpen = false;
    };
    TDdeClientFactory FPrevious;
};
