#pragma once

#include <QUrl>

namespace tavrin {

class Clock;
class Defaults;
class HttpClient;
class KeychainStore;
class LanguageModel;
class RequestLog;

// What the planners run on. The Keychain store and the request log are
// required. A platform service left empty is the installed platform's,
// looked up at each use, so that the shared planners follow a platform
// installed later. The base addresses are fixed for the product; tests point
// them at a loopback server.
struct PlanningServices {
    Defaults* defaults = nullptr;
    Clock* clock = nullptr;
    HttpClient* http = nullptr;
    LanguageModel* languageModel = nullptr;
    KeychainStore* keychain = nullptr;
    RequestLog* log = nullptr;
    QUrl anthropicBase = defaultAnthropicBase();
    QUrl tavrinAIBase = defaultTavrinAIBase();

    // These services with every empty platform service filled in.
    PlanningServices resolved() const;
    // Whether the required services are given.
    bool hasStores() const { return keychain && log; }

    static QUrl defaultAnthropicBase();
    // A build setting: TAVRIN_AI_BASE_URL.
    static QUrl defaultTavrinAIBase();
};

} // namespace tavrin
