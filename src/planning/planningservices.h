#pragma once

#include <QUrl>

namespace tavrin {

class Clock;
class Defaults;
class HttpClient;
class KeychainStore;
class LanguageModel;
class RequestLog;

// What the planners run on. A service left empty is the installed
// platform's (or the shared Keychain store and request log), looked up at
// each use, so that the shared planners follow a platform installed later.
// The base addresses are fixed for the product; tests point them at a
// loopback server.
struct PlanningServices {
    Defaults* defaults = nullptr;
    Clock* clock = nullptr;
    HttpClient* http = nullptr;
    LanguageModel* languageModel = nullptr;
    KeychainStore* keychain = nullptr;
    RequestLog* log = nullptr;
    QUrl anthropicBase = defaultAnthropicBase();
    QUrl tavrinAIBase = defaultTavrinAIBase();

    // These services with every empty one filled in.
    PlanningServices resolved() const;

    static QUrl defaultAnthropicBase();
    // A build setting: TAVRIN_AI_BASE_URL.
    static QUrl defaultTavrinAIBase();
};

} // namespace tavrin
