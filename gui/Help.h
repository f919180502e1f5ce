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

// A program whose help is one document with an anchor per tab (the
// handheld's): the file name it goes by and its HTML, in which
// <a name="NAME"> marks the places "#NAME" leads to.
struct HelpDocument {
    const char* fileName = "";
    const char* html = "";
    const char* windowTitle = "";
};
// Opens the help window on the document, scrolled to the anchor ("#NAME";
// empty: the top). Links "#NAME" in the document move within it.
void ShowHelpDocument(const HelpDocument& document, const char* anchor, QWidget* parent = nullptr);
// The last document opened, as its viewer's command line: the file name
// followed by the anchor ("Config_Tool_Help.htm#Radio_tab"); empty before
// any. For tests.
const char* LastHelpCommandLine();
