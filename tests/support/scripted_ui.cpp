#include "tests/support/scripted_ui.h"

#include <gtest/gtest.h>

namespace testing_support {

QStringList ScriptedUi::texts(const QString& kind) const
{
    QStringList out;
    for (const Message& m : m_messages)
        if (m.kind == kind)
            out.append(m.text);
    return out;
}

bool ScriptedUi::saw(const QString& kind, const QString& text) const
{
    return texts(kind).contains(text);
}

QString ScriptedUi::progressLabel() const
{
    if (m_countMode)
        return QString("%1/%2").arg(m_position).arg(m_max);
    const double pct = m_max == 0 ? 0 : double(m_position) / m_max * 100.0;
    return QString("%1 %").arg(qRound(pct));
}

QVariant ScriptedUi::next(const QString& kind, const QString& text)
{
    m_messages.append({kind, text});
    if (m_answers.isEmpty()) {
        ADD_FAILURE() << "unexpected " << kind.toStdString() << ": " << text.toStdString();
        return {};
    }
    return m_answers.takeFirst();
}

void ScriptedUi::ShowInfo(const QString& text)
{
    CloseWait();
    m_messages.append({"info", text});
}

void ScriptedUi::ShowError(const QString& text)
{
    CloseWait();
    m_messages.append({"error", text});
}

void ScriptedUi::ShowPlain(const QString& text)
{
    CloseWait();
    m_messages.append({"plain", text});
}

bool ScriptedUi::Confirm(const QString& text, bool)
{
    HideWait();
    const bool yes = next("confirm", text).toBool();
    ReshowWait();
    return yes;
}

shell::Ui::Button ScriptedUi::Ask(const QString& text, int, Button defaultButton)
{
    HideWait();
    const QVariant v = next("ask", text);
    ReshowWait();
    return v.isValid() ? Button(v.toInt()) : defaultButton;
}

std::optional<QString> ScriptedUi::PromptText(const QString&, const QString& label,
                                              const QString&, bool)
{
    const QVariant v = next("prompt", label);
    if (!v.isValid())
        return std::nullopt;
    return v.toString();
}

void ScriptedUi::ShowWaitMessage(const QString& text)
{
    m_waitExists = true;
    m_waitHidden = false;
    m_messages.append({"wait", text});
}

void ScriptedUi::ShowProgress(const QString& text, int min, int max, bool countMode)
{
    m_waitExists = true;
    m_waitHidden = false;
    m_min = min;
    m_max = max;
    m_position = min;
    m_countMode = countMode;
    m_messages.append({"progress", text});
}

void ScriptedUi::StepProgress()
{
    if (m_waitExists)
        ++m_position;
}

void ScriptedUi::HideWait()
{
    m_waitHidden = true;
}

void ScriptedUi::ReshowWait()
{
    m_waitHidden = false;
}

void ScriptedUi::CloseWait()
{
    m_waitExists = false;
    m_waitHidden = false;
}

std::optional<QString> ScriptedUi::ChooseOpenFile(const QString& caption, const QString&,
                                                  const QString&)
{
    const QVariant v = next("open-file", caption);
    return v.isValid() ? std::optional<QString>(v.toString()) : std::nullopt;
}

std::optional<QString> ScriptedUi::ChooseSaveFile(const QString& caption, const QString&,
                                                  const QString&)
{
    const QVariant v = next("save-file", caption);
    return v.isValid() ? std::optional<QString>(v.toString()) : std::nullopt;
}

std::optional<QString> ScriptedUi::ChooseDirectory(const QString& caption, const QString&)
{
    const QVariant v = next("directory", caption);
    return v.isValid() ? std::optional<QString>(v.toString()) : std::nullopt;
}

std::optional<int> ScriptedUi::ChooseColor(int)
{
    const QVariant v = next("color", {});
    return v.isValid() ? std::optional<int>(v.toInt()) : std::nullopt;
}

bool ScriptedUi::OpenDocument(const QString& path)
{
    m_messages.append({"open", path});
    return true;
}

} // namespace testing_support
