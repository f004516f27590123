#pragma once
// Waiting in tests without blocking the event loop, and a link client that
// has identified its unit.

#include <functional>

#include <QtGlobal>

class LinkClient;
class ScriptedPrompts;

// Processes events until the condition holds or the time runs out; returns the condition.
bool waitFor(const std::function<bool()>& condition, int timeoutMs = 30000);

// Points the settings at the port, connects and waits for the part-number
// answer; clears what the prompts recorded meanwhile.
bool identifyUnit(LinkClient& link, quint16 port, ScriptedPrompts& prompts);
