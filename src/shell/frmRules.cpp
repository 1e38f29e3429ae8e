#include "frmRules.h"

#include "reading/Alerts.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

namespace
{
// The action box's entries after the palette's colours.
constexpr int Colours = 8;
const char* const HideEntry = "hide while following";
const char* const AlertEntry = "alert";

QPushButton* Button(const QString& text, const char* name, QWidget* parent)
{
    auto* button = new QPushButton(text, parent);
    button->setObjectName(QLatin1String(name));
    button->setAutoDefault(false);
    return button;
}
} // namespace

frmRules::frmRules(RulesFile& file, QWidget* parent)
    : QDialog(parent), m_file(file), m_rules(file.text.rules)
{
    setWindowTitle(QStringLiteral("Highlight"));
    for (qsizetype i = 0; i < m_rules.size(); ++i)
        m_origins.append(i);
    Build();
    QStringList problems = file.text.problems;
    if (!file.error.isEmpty())
        problems.prepend(file.error);
    lblProblems->setText(problems.join(u'\n'));
    lblProblems->setVisible(!problems.isEmpty());
    Fill(m_rules.isEmpty() ? -1 : 0);
    lstRules->setFocus();
}

void frmRules::Build()
{
    lblProblems = new QLabel(this);
    lblProblems->setObjectName(QStringLiteral("lblProblems"));
    lblProblems->setWordWrap(true);
    lblProblems->setTextFormat(Qt::PlainText);
    lstRules = new QListWidget(this);
    lstRules->setObjectName(QStringLiteral("lstRules"));
    lstRules->setAccessibleName(QStringLiteral("Rules"));
    auto* listLabel =
        new QLabel(QStringLiteral("&Rules, the first colour that fits a line paints it:"), this);
    listLabel->setBuddy(lstRules);
    cmdAdd = Button(QStringLiteral("&Add"), "cmdAdd", this);
    cmdRemove = Button(QStringLiteral("Remo&ve"), "cmdRemove", this);
    cmdUp = Button(QStringLiteral("Move &up"), "cmdUp", this);
    cmdDown = Button(QStringLiteral("Move &down"), "cmdDown", this);
    cmdStarter = Button(QStringLiteral("&Begin with starter rules"), "cmdStarter", this);
    txtText = new QLineEdit(this);
    txtText->setObjectName(QStringLiteral("txtText"));
    cboAction = new QComboBox(this);
    cboAction->setObjectName(QStringLiteral("cboAction"));
    const QList<RuleColour> palette = RuleColours();
    for (const RuleColour& colour : palette) {
        cboAction->addItem(QStringLiteral("colour ") + QLatin1String(colour.name));
        cboAction->setItemData(cboAction->count() - 1, QColor(QRgb(colour.background)),
                               Qt::BackgroundRole);
        cboAction->setItemData(cboAction->count() - 1, QColor(QRgb(colour.foreground)),
                               Qt::ForegroundRole);
    }
    cboAction->addItem(QLatin1String(HideEntry));
    cboAction->addItem(QLatin1String(AlertEntry));
    chkRegex = new QCheckBox(QStringLiteral("Regular e&xpression"), this);
    chkRegex->setObjectName(QStringLiteral("chkRegex"));
    chkCase = new QCheckBox(QStringLiteral("Match &case"), this);
    chkCase->setObjectName(QStringLiteral("chkCase"));
    lblError = new QLabel(this);
    lblError->setObjectName(QStringLiteral("lblError"));
    lblError->setTextFormat(Qt::PlainText);
    lblError->setStyleSheet(QStringLiteral("color: #c62828"));
    txtSilence = new QSpinBox(this);
    txtSilence->setObjectName(QStringLiteral("txtSilence"));
    txtSilence->setRange(0, 1440);
    txtSilence->setSpecialValueText(QStringLiteral("0 (off)"));
    txtSilence->setValue(reading::ReadSilenceMinutes(reading::AlertSettingsPath()));
    auto* silenceLabel =
        new QLabel(QStringLiteral("Tell me when a followed &log is silent for"), this);
    silenceLabel->setBuddy(txtSilence);
    buttons = new QDialogButtonBox(QDialogButtonBox::Save | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Save)->setText(QStringLiteral("&Save"));

    auto* side = new QVBoxLayout;
    for (QPushButton* button : {cmdAdd, cmdRemove, cmdUp, cmdDown, cmdStarter})
        side->addWidget(button);
    side->addStretch();
    auto* listed = new QHBoxLayout;
    listed->addWidget(lstRules, 1);
    listed->addLayout(side);
    auto* fields = new QFormLayout;
    fields->addRow(QStringLiteral("&Text:"), txtText);
    fields->addRow(QString(), lblError);
    fields->addRow(QStringLiteral("Acti&on:"), cboAction);
    auto* checks = new QHBoxLayout;
    checks->addWidget(chkRegex);
    checks->addWidget(chkCase);
    checks->addStretch();
    fields->addRow(QString(), checks);
    auto* all = new QVBoxLayout(this);
    all->addWidget(lblProblems);
    all->addWidget(listLabel);
    all->addLayout(listed, 1);
    all->addLayout(fields);
    auto* silence = new QHBoxLayout;
    silence->addWidget(silenceLabel);
    silence->addWidget(txtSilence);
    silence->addWidget(new QLabel(QStringLiteral("minutes"), this));
    silence->addStretch();
    all->addLayout(silence);
    all->addWidget(buttons);
    resize(620, 420);

    connect(lstRules, &QListWidget::currentRowChanged, this, &frmRules::ShowRule);
    connect(txtText, &QLineEdit::textEdited, this, &frmRules::EditRule);
    connect(cboAction, &QComboBox::currentIndexChanged, this, &frmRules::EditRule);
    connect(chkRegex, &QCheckBox::toggled, this, &frmRules::EditRule);
    connect(chkCase, &QCheckBox::toggled, this, &frmRules::EditRule);
    connect(cmdAdd, &QPushButton::clicked, this, [this] {
        Add({Rule{RuleAction::Colour, QStringLiteral("red"), false, false, {}}});
        txtText->setFocus();
    });
    connect(cmdStarter, &QPushButton::clicked, this, [this] { Add(StarterRules()); });
    connect(cmdRemove, &QPushButton::clicked, this, &frmRules::Remove);
    connect(cmdUp, &QPushButton::clicked, this, [this] { Move(-1); });
    connect(cmdDown, &QPushButton::clicked, this, [this] { Move(1); });
    connect(buttons, &QDialogButtonBox::accepted, this, &frmRules::Save);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
}

QString frmRules::Describe(const Rule& rule) const
{
    const QString action = rule.action == RuleAction::Hide    ? QLatin1String(HideEntry)
                           : rule.action == RuleAction::Alert ? QLatin1String(AlertEntry)
                                                              : rule.colour;
    return action + (rule.regex ? QStringLiteral(", expression: ") : QStringLiteral(": ")) +
           rule.text;
}

void frmRules::Fill(int current)
{
    lstRules->clear();
    for (const Rule& rule : m_rules) {
        auto* item = new QListWidgetItem(Describe(rule), lstRules);
        const int colour = RuleColourIndex(rule.colour);
        if (rule.action == RuleAction::Colour && colour >= 0) {
            item->setBackground(QColor(QRgb(RuleColours()[colour].background)));
            item->setForeground(QColor(QRgb(RuleColours()[colour].foreground)));
        }
    }
    lstRules->setCurrentRow(current);
    ShowRule(current);
}

void frmRules::ShowRule(int row)
{
    const bool any = row >= 0 && row < m_rules.size();
    for (QWidget* field : std::initializer_list<QWidget*>{txtText, cboAction, chkRegex, chkCase,
                                                          cmdRemove, cmdUp, cmdDown})
        field->setEnabled(any);
    cmdStarter->setVisible(m_rules.isEmpty());
    m_showing = true;
    const Rule rule = any ? m_rules[row] : Rule{};
    txtText->setText(rule.text);
    cboAction->setCurrentIndex(rule.action == RuleAction::Hide ? Colours
                               : rule.action == RuleAction::Alert
                                   ? Colours + 1
                                   : qMax(0, RuleColourIndex(rule.colour)));
    chkRegex->setChecked(rule.regex);
    chkCase->setChecked(rule.matchCase);
    m_showing = false;
    Check();
}

void frmRules::EditRule()
{
    const int row = lstRules->currentRow();
    if (m_showing || row < 0 || row >= m_rules.size())
        return;
    Rule& rule = m_rules[row];
    const int action = cboAction->currentIndex();
    rule.action = action == Colours       ? RuleAction::Hide
                  : action == Colours + 1 ? RuleAction::Alert
                                          : RuleAction::Colour;
    rule.colour = action < Colours ? QLatin1String(RuleColours()[action].name) : QString();
    rule.regex = chkRegex->isChecked();
    rule.matchCase = chkCase->isChecked();
    rule.text = txtText->text();
    const int colour = RuleColourIndex(rule.colour);
    QListWidgetItem* item = lstRules->item(row);
    item->setText(Describe(rule));
    item->setData(Qt::BackgroundRole, colour >= 0
                                          ? QVariant(QColor(QRgb(RuleColours()[colour].background)))
                                          : QVariant());
    item->setData(Qt::ForegroundRole, colour >= 0
                                          ? QVariant(QColor(QRgb(RuleColours()[colour].foreground)))
                                          : QVariant());
    Check();
}

// Nothing is saved while a rule has no text or an invalid expression; the first such rule
// says why under the text.
void frmRules::Check()
{
    QString why;
    for (qsizetype i = 0; i < m_rules.size() && why.isEmpty(); ++i) {
        const Rule& rule = m_rules[i];
        why = rule.text.isEmpty() ? QStringLiteral("Rule %1 has no text").arg(i + 1)
              : rule.text.contains(u'\n') || rule.text.contains(u'\r')
                  ? QStringLiteral("A rule is one line: its text has a line break")
              : rule.regex ? ExpressionError(rule.text)
                           : QString();
        if (!why.isEmpty() && i != lstRules->currentRow() && !rule.text.isEmpty())
            why = QStringLiteral("Rule %1: %2").arg(i + 1).arg(why);
    }
    lblError->setText(why);
    buttons->button(QDialogButtonBox::Save)->setEnabled(why.isEmpty());
}

void frmRules::Add(const QList<Rule>& rules)
{
    m_rules += rules;
    m_origins += QList<qsizetype>(rules.size(), -1);
    Fill(int(m_rules.size() - rules.size()));
}

void frmRules::Remove()
{
    const int row = lstRules->currentRow();
    if (row < 0)
        return;
    m_rules.removeAt(row);
    m_origins.removeAt(row);
    Fill(qMin(row, int(m_rules.size()) - 1));
    lstRules->setFocus();
}

void frmRules::Move(int by)
{
    const int row = lstRules->currentRow();
    if (row < 0 || row + by < 0 || row + by >= m_rules.size())
        return;
    m_rules.swapItemsAt(row, row + by);
    m_origins.swapItemsAt(row, row + by);
    Fill(row + by);
}

void frmRules::Save()
{
    QString error = SaveRulesFile(m_file, m_rules, m_origins);
    const QString settings = reading::AlertSettingsPath();
    if (error.isEmpty() && !reading::SaveSilenceMinutes(settings, txtSilence->value()))
        error = QStringLiteral("The silence setting could not be saved in ") + settings;
    if (!error.isEmpty()) {
        lblProblems->setText(error);
        lblProblems->setVisible(true);
        return;
    }
    accept();
}
