#pragma once
#include <QString>
#include <QWidget>

class QPushButton;

// A page of the property sheet: a tab caption, a help topic and the work
// done each time the page becomes the active tab.
class CQVRPage : public QWidget {
    Q_OBJECT
public:
    CQVRPage(const QString& caption, int helpTopic, QWidget* parent = nullptr);
    const QString& Caption() const { return m_caption; }
    int HelpTopic() const { return m_helpTopic; }
    // Called each time the page becomes the active tab.
    virtual void OnSetActive() {}

protected:
    // The page's "Help" button, opening its own topic.
    QPushButton* MakeHelpButton();

private:
    QString m_caption;
    int m_helpTopic;
};

// Pages whose contents come with the radio issues: their tabs come and go
// with the receiver's radio already.
class CUHFPropertyPage : public CQVRPage {
    Q_OBJECT
public:
    explicit CUHFPropertyPage(QWidget* parent = nullptr);
};
class CUHFUpgradePropertyPage : public CQVRPage {
    Q_OBJECT
public:
    explicit CUHFUpgradePropertyPage(QWidget* parent = nullptr);
};
class CGSMUpgradePage : public CQVRPage {
    Q_OBJECT
public:
    explicit CGSMUpgradePage(QWidget* parent = nullptr);
};
class CGSMBearerSettingsPropertyPage : public CQVRPage {
    Q_OBJECT
public:
    explicit CGSMBearerSettingsPropertyPage(QWidget* parent = nullptr);
};
class CGSMSettingsPropertyPage : public CQVRPage {
    Q_OBJECT
public:
    explicit CGSMSettingsPropertyPage(QWidget* parent = nullptr);
};
class CDlgAutoMRS : public CQVRPage {
    Q_OBJECT
public:
    explicit CDlgAutoMRS(QWidget* parent = nullptr);
};
