#pragma once

#include "base/Rules.h"

#include <QDialog>

class QCheckBox;
class QComboBox;
class QDialogButtonBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QSpinBox;

// The rules dialog ("Highlight"): adds, edits, removes and reorders the rules, each shown in
// its colour, and saves them into the rules file only while every rule is valid. The rules
// file's problems are said at the top; the starter rules are offered while there are none.
class frmRules : public QDialog
{
    Q_OBJECT

public:
    frmRules(RulesFile& file, QWidget* parent = nullptr);

private:
    void Build();
    void Fill(int current);
    void ShowRule(int row);
    void EditRule();
    void Add(const QList<Rule>& rules);
    void Remove();
    void Move(int by);
    void Save();
    void Check();
    QString Describe(const Rule& rule) const;

    RulesFile& m_file;
    QList<Rule> m_rules;
    QList<qsizetype> m_origins; // which rule as read each one was, -1 for a new one
    bool m_showing = false;     // fields being filled from a rule, not edited
    QListWidget* lstRules;
    QLineEdit* txtText;
    QComboBox* cboAction;
    QCheckBox* chkRegex;
    QCheckBox* chkCase;
    QSpinBox* txtSilence; // minutes, 0: never said
    QLabel* lblError;
    QLabel* lblProblems;
    QPushButton* cmdAdd;
    QPushButton* cmdRemove;
    QPushButton* cmdUp;
    QPushButton* cmdDown;
    QPushButton* cmdStarter;
    QDialogButtonBox* buttons;
};
