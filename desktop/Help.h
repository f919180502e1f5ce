#pragma once

class QWidget;

// Opens the help window at a topic (1 to 8, one per tab). Other numbers
// open nothing.
void ShowHelpTopic(int topic, QWidget* parent = nullptr);
// The topic shown last (0 before any), for tests.
int LastHelpTopic();
