#pragma once

class QWidget;

// The topics a program's help window offers, numbered from 1.
struct HelpBook {
    int count = 0;
    const char* (*title)(int topic) = nullptr;
    const char* (*html)(int topic) = nullptr;
    const char* windowTitle = "";  // "... Help - TOPIC TITLE"
};
// The program's topics; set once at start-up.
void SetHelpBook(const HelpBook& book);

// Opens the help window at a topic (1 to the book's count). Other numbers
// open nothing.
void ShowHelpTopic(int topic, QWidget* parent = nullptr);
// The topic shown last (0 before any), for tests.
int LastHelpTopic();
