// TDdeClientConv: a client conversation with another program's DDE service (a browser), made through a factory that tests replace.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "platform/core/BrowserCommand.h"

// A conversation with a service about a topic, opened by hand (the manual connect mode): SetLink
// names the service and topic, OpenLink connects, RequestData asks for an item, CloseLink ends it.
// ServiceApplication is the program started for a service that nobody serves yet.
class TDdeClientConv {
public:
    virtual ~TDdeClientConv() = default;

    const std::string& ServiceApplication() const { return FServiceApplication; }
    void SetServiceApplication(const std::string& value) { FServiceApplication = value; }
    const std::string& Service() const { return FService; }
    const std::string& Topic() const { return FTopic; }

    // Names the service and topic of the next OpenLink, closing an open link first; false for an
    // empty service or topic.
    virtual bool SetLink(const std::string& service, const std::string& topic);
    // Connects to the named service and topic; false when nobody answers.
    virtual bool OpenLink() = 0;
    // The service's answer to the item; false when the link is not open or the request failed.
    virtual bool RequestData(const std::string& item, std::string& data) = 0;
    virtual void CloseLink() = 0;

protected:
    std::string FServiceApplication;
    std::string FService;
    std::string FTopic;
};

// Makes a new conversation: the real one, or the factory's while one is set.
std::unique_ptr<TDdeClientConv> NewDdeClientConv();
// While set, NewDdeClientConv asks the factory (tests record the conversation through it). Returns the
// factory it replaces; an empty one makes real conversations again.
using TDdeClientFactory = std::function<std::unique_ptr<TDdeClientConv>()>;
TDdeClientFactory SetDdeClientFactory(TDdeClientFactory factory);

// The real conversation. No browser here serves DDE, so the conversation serves the two topics a
// browser knows itself: "WWW_OpenURL", whose request starts ServiceApplication with the address (the
// item's text before ",,") once per conversation, and "WWW_Activate", which succeeds and does nothing.
// Other topics fail to open. ServiceApplication is a program's path, or a command line of the
// registry store's form (BrowserArguments) when no file has that name; the request fails when the
// program cannot be started. The address is spelt as the file system spells names, and the program
// gets it, its own name and the command's words as those bytes.
class TBrowserDdeConv : public TDdeClientConv {
public:
    bool OpenLink() override;
    bool RequestData(const std::string& item, std::string& data) override;
    void CloseLink() override { FOpen = false; }
    // Whether a request has started the browser.
    bool Started() const { return FStarted; }

private:
    bool FOpen = false;
    bool FStarted = false;
};

// The command line of the default browser: the default value of "htmlfile\shell\open\command" under
// HKEY_CLASSES_ROOT. When the key has no value yet, or one that names no program apart from the page,
// it is filled first from the desktop's default handler of text/html (DesktopBrowserCommand).
std::string DefaultBrowserCommand();
// The browser's command line from the desktop's default handler of text/html, or xdg-open without
// one; empty when none is found.
std::string DesktopBrowserCommand();

