#include "Rules.h"

#include "LogFileAccess.h"
#include "LogText.h"

#include <QDir>
#include <QSaveFile>
#include <QStandardPaths>

#define PCRE2_CODE_UNIT_WIDTH 8
#include <pcre2.h>

#include <array>
#include <string_view>

namespace
{

constexpr std::array<RuleColour, 8> Palette{{
    {"red", 0xffffff, 0xc62828},
    {"orange", 0x000000, 0xffb74d},
    {"yellow", 0x000000, 0xfff176},
    {"green", 0x000000, 0x81c784},
    {"cyan", 0x000000, 0x80deea},
    {"blue", 0xffffff, 0x1565c0},
    {"purple", 0xffffff, 0x7b1fa2},
    {"grey", 0x000000, 0xbdbdbd},
}};

// Enough for any sane expression on a long line, little enough that one that backtracks
// without end gives up within a millisecond or so.
constexpr uint32_t MatchLimit = 100'000;
constexpr size_t JitStackBytes = 1 << 20;
constexpr qint64 LargestRulesFile = 1 << 20;
constexpr qsizetype ProblemsListed = 20;

pcre2_code* Code(void* code)
{
    return static_cast<pcre2_code*>(code);
}

QString PcreMessage(int code)
{
    std::array<PCRE2_UCHAR, 256> text{};
    pcre2_get_error_message(code, text.data(), text.size());
    return QString::fromUtf8(reinterpret_cast<const char*>(text.data()));
}

std::optional<Rule> ParseRuleLine(const QString& line, QString& why)
{
    const QStringList fields = line.split(u'\t');
    if (fields.size() < 4) {
        why = QStringLiteral("a rule has four fields separated by tabs");
        return std::nullopt;
    }
    Rule rule;
    if (fields[0] == u"hide") {
        rule.action = RuleAction::Hide;
    } else if (fields[0] == u"alert") {
        rule.action = RuleAction::Alert;
    } else if (fields[0].startsWith(u"colour:") && RuleColourIndex(fields[0].mid(7)) >= 0) {
        rule.colour = fields[0].mid(7);
    } else {
        why = QStringLiteral("unknown action \"%1\"").arg(fields[0]);
        return std::nullopt;
    }
    if ((fields[1] != u"words" && fields[1] != u"regex") ||
        (fields[2] != u"nocase" && fields[2] != u"case")) {
        why = QStringLiteral("the kind is words or regex, the case nocase or case");
        return std::nullopt;
    }
    rule.regex = fields[1] == u"regex";
    rule.matchCase = fields[2] == u"case";
    rule.text = fields.mid(3).join(u'\t');
    why = rule.text.isEmpty() ? QStringLiteral("the rule has no text")
          : rule.regex        ? ExpressionError(rule.text)
                              : QString();
    if (!why.isEmpty())
        return std::nullopt;
    return rule;
}

} // namespace

QList<RuleColour> RuleColours()
{
    return QList<RuleColour>(Palette.begin(), Palette.end());
}

int RuleColourIndex(QStringView name)
{
    for (size_t i = 0; i < Palette.size(); ++i)
        if (name == QLatin1String(Palette[i].name))
            return int(i);
    return -1;
}

QString ExpressionError(const QString& pattern)
{
    const Expression expression(pattern, true);
    return expression.Error();
}

Expression::Expression(const QString& pattern, bool matchCase)
{
    const QByteArray utf8 = pattern.toUtf8();
    int error = 0;
    PCRE2_SIZE offset = 0;
    pcre2_code* code =
        pcre2_compile(reinterpret_cast<PCRE2_SPTR>(utf8.constData()), PCRE2_SIZE(utf8.size()),
                      PCRE2_UTF | (matchCase ? 0 : PCRE2_CASELESS), &error, &offset, nullptr);
    if (!code) {
        m_error = PcreMessage(error) + QStringLiteral(" at offset ") + QString::number(offset);
        return;
    }
    pcre2_jit_compile(code, PCRE2_JIT_COMPLETE); // without JIT it matches all the same
    m_code = code;
    m_data = pcre2_match_data_create(1, nullptr);
    pcre2_match_context* context = pcre2_match_context_create(nullptr);
    pcre2_set_match_limit(context, MatchLimit);
    // JIT's own stack of 32 KiB gives up on a repeated group from a line of a few KB on.
    pcre2_jit_stack* stack = pcre2_jit_stack_create(32 * 1024, JitStackBytes, nullptr);
    pcre2_jit_stack_assign(context, nullptr, stack);
    m_jitStack = stack;
    m_context = context;
}

Expression::~Expression()
{
    pcre2_jit_stack_free(static_cast<pcre2_jit_stack*>(m_jitStack));
    pcre2_match_context_free(static_cast<pcre2_match_context*>(m_context));
    pcre2_match_data_free(static_cast<pcre2_match_data*>(m_data));
    pcre2_code_free(Code(m_code));
}

bool Expression::Matches(QByteArrayView line) const
{
    if (!m_code)
        return false;
    QByteArray decoded;
    if (!IsUtf8(line)) {
        decoded = DecodeLogLine(line).toUtf8();
        line = decoded;
    }
    const int result = pcre2_match(Code(m_code), reinterpret_cast<PCRE2_SPTR>(line.data()),
                                   PCRE2_SIZE(line.size()), 0, PCRE2_NO_UTF_CHECK,
                                   static_cast<pcre2_match_data*>(m_data),
                                   static_cast<pcre2_match_context*>(m_context));
    if (result < 0 && result != PCRE2_ERROR_NOMATCH)
        m_limitHit = true; // a limit of time or memory: the line is not known to match
    return result >= 0;
}

RuleMatcher::RuleMatcher(const Rule& rule) : m_rule(rule)
{
    if (rule.regex)
        m_expression = std::make_unique<Expression>(rule.text, rule.matchCase);
    else if (rule.matchCase)
        m_exact = rule.text.toUtf8();
    else
        m_words.emplace(rule.text);
}

bool RuleMatcher::Matches(QByteArrayView line) const
{
    if (m_expression)
        return m_expression->Matches(line);
    if (m_words)
        return m_words->Matches(line);
    if (m_exact.isEmpty())
        return false;
    const std::string_view exact(m_exact.constData(), size_t(m_exact.size()));
    if (IsUtf8(line))
        return std::string_view(line.data(), size_t(line.size())).find(exact) !=
               std::string_view::npos;
    return DecodeLogLine(line).contains(m_rule.text);
}

RuleSet::RuleSet(const QList<Rule>& rules)
{
    for (const Rule& rule : rules) {
        m_matchers.push_back(std::make_unique<RuleMatcher>(rule));
        m_colours = m_colours || rule.action == RuleAction::Colour;
        m_hides = m_hides || rule.action == RuleAction::Hide;
        m_alerts = m_alerts || rule.action == RuleAction::Alert;
    }
}

int RuleSet::ColourOf(QByteArrayView line) const
{
    for (const auto& matcher : m_matchers)
        if (matcher->Of().action == RuleAction::Colour && matcher->Matches(line))
            return RuleColourIndex(matcher->Of().colour);
    return -1;
}

bool RuleSet::Any(RuleAction action, QByteArrayView line) const
{
    for (const auto& matcher : m_matchers)
        if (matcher->Of().action == action && matcher->Matches(line))
            return true;
    return false;
}

bool RuleSet::Hides(QByteArrayView line) const
{
    return m_hides && Any(RuleAction::Hide, line);
}

QList<const Rule*> RuleSet::AlertsOf(QByteArrayView line) const
{
    QList<const Rule*> taken;
    for (const auto& matcher : m_matchers)
        if (matcher->Of().action == RuleAction::Alert && matcher->Matches(line))
            taken.append(&matcher->Of());
    return taken;
}

QString RuleSet::TakeLimitNotice() const
{
    for (const auto& matcher : m_matchers) {
        if (!matcher->TakeLimitHit() || m_limitSaid)
            continue;
        m_limitSaid = true;
        return QStringLiteral("The expression \"%1\" gave up on a line that made it backtrack "
                              "too long; such lines count as not matching.")
            .arg(matcher->Of().text);
    }
    return {};
}

QString RuleLine(const Rule& rule)
{
    const QString action = rule.action == RuleAction::Hide ? QStringLiteral("hide")
                           : rule.action == RuleAction::Alert
                               ? QStringLiteral("alert")
                               : QStringLiteral("colour:") + rule.colour;
    return action + (rule.regex ? QStringLiteral("\tregex") : QStringLiteral("\twords")) +
           (rule.matchCase ? QStringLiteral("\tcase\t") : QStringLiteral("\tnocase\t")) +
           QString(rule.text).replace(u'\r', u' ').replace(u'\n', u' '); // a rule is one line
}

RulesText ParseRules(QByteArrayView bytes)
{
    RulesText read;
    // Line by line: one line in another encoding must not change how the others read.
    read.raw = bytes.toByteArray().split('\n');
    if (!read.raw.isEmpty() && read.raw.last().isEmpty())
        read.raw.removeLast(); // the end of the last line
    qsizetype unread = 0;
    qsizetype notes = -1; // where the comments right above the next line begin
    for (qsizetype i = 0; i < read.raw.size(); ++i) {
        QByteArrayView bytesOfLine = read.raw[i];
        if (bytesOfLine.endsWith('\r'))
            bytesOfLine.chop(1);
        const QString line = DecodeLogLine(bytesOfLine);
        read.lines.append(line);
        const bool comment = line.startsWith(u'#');
        if (comment && notes < 0)
            notes = i;
        if (comment || line.trimmed().isEmpty()) {
            notes = comment ? notes : -1;
            continue;
        }
        QString why;
        if (const std::optional<Rule> rule = ParseRuleLine(line, why)) {
            read.rules.append(*rule);
            read.ruleLines.append(i);
            read.noteLines.append(notes > 0 ? notes : i); // a heading stays on top
        } else if (++unread <= ProblemsListed) {
            read.problems.append(QStringLiteral("Line %1: %2").arg(i + 1).arg(why));
        }
        notes = -1;
    }
    if (unread > ProblemsListed)
        read.problems.append(
            QStringLiteral("and %1 more lines not read").arg(unread - ProblemsListed));
    return read;
}

QByteArray FormatRules(const RulesText& read, const QList<Rule>& rules,
                       const QList<qsizetype>& origins)
{
    QList<qsizetype> slotOf(read.raw.size(), -1); // the rule read on each line
    QList<bool> withRule(read.raw.size(), false); // lines that go where their rule goes
    for (qsizetype j = 0; j < read.rules.size(); ++j) {
        slotOf[read.ruleLines[j]] = j;
        for (qsizetype l = read.noteLines[j]; l <= read.ruleLines[j]; ++l)
            withRule[l] = true;
    }
    QByteArray out;
    const auto put = [&out](QByteArrayView line) { out.append(line).append('\n'); };
    const auto putRule = [&](qsizetype k) {
        const qsizetype j = k < origins.size() ? origins[k] : -1;
        for (qsizetype l = j < 0 ? 0 : read.noteLines[j]; j >= 0 && l < read.ruleLines[j]; ++l)
            put(read.raw[l]);
        put(j >= 0 && rules[k] == read.rules[j] ? QByteArrayView(read.raw[read.ruleLines[j]])
                                                : QByteArrayView(RuleLine(rules[k]).toUtf8()));
    };
    qsizetype next = 0;
    for (qsizetype i = 0; i < read.raw.size(); ++i) {
        if (slotOf[i] >= 0 && next < rules.size())
            putRule(next++);
        else if (!withRule[i])
            put(read.raw[i]);
    }
    for (; next < rules.size(); ++next)
        putRule(next);
    return out;
}

QString RulesPath()
{
    return QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation) +
           QStringLiteral("/rules.txt");
}

RulesFile ReadRulesFile(const QString& path)
{
    RulesFile file{path, {}, {}};
    if (!LogFileAccess::Stat(path).exists)
        return file;
    LogFileAccess access;
    QByteArray bytes;
    if (access.Open(path) && access.Size() <= LargestRulesFile) {
        bytes.resize(access.Size());
        if (access.ReadAt(0, bytes.data(), bytes.size()) != bytes.size())
            file.error = QStringLiteral("it could not be read");
    } else {
        file.error = access.IsOpen() ? QStringLiteral("it is larger than 1 MB") : access.Error();
    }
    if (!file.error.isEmpty())
        file.error = QStringLiteral("The rules file %1 was not read: %2.")
                         .arg(QDir::toNativeSeparators(path), file.error);
    else
        file.text = ParseRules(bytes);
    return file;
}

QString SaveRulesFile(RulesFile& file, const QList<Rule>& rules, const QList<qsizetype>& origins)
{
    if (!file.error.isEmpty())
        return file.error + QStringLiteral(" It is left as it is.");
    QDir().mkpath(QFileInfo(file.path).absolutePath());
    const QByteArray bytes = FormatRules(file.text, rules, origins);
    QSaveFile out(file.path);
    if (!out.open(QIODevice::WriteOnly) || out.write(bytes) != bytes.size() || !out.commit())
        return QStringLiteral("The rules could not be saved in %1: %2")
            .arg(QDir::toNativeSeparators(file.path), out.errorString());
    file.text = ParseRules(bytes);
    return {};
}

QList<Rule> StarterRules()
{
    return {{RuleAction::Colour, QStringLiteral("red"), false, false, QStringLiteral("error")},
            {RuleAction::Colour, QStringLiteral("orange"), false, false, QStringLiteral("fail")},
            // A web log's 5xx status: after the quoted request (Apache, nginx), or before the
            // substatus, Windows status and time taken that end an IIS line.
            {RuleAction::Colour, QStringLiteral("purple"), true, false,
             QStringLiteral("\" 5\\d\\d | 5\\d\\d \\d+ \\d+ \\d+$")}};
}
