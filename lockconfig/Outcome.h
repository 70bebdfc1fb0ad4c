/*
 * What an installation or removal reports: the steps that failed, each in plain words with the
 * file it concerns, and notes of what was done besides (a file of another's moved aside). Only
 * a report without failures may be answered with "Settings saved".
 */
#pragma once

#include "lockconfig/Messages.h"

#include <string>
#include <vector>

namespace qg {

class Outcome {
public:
    void Fail(std::string sentence) { m_failures.push_back(std::move(sentence)); }
    void Note(std::string sentence) { m_notes.push_back(std::move(sentence)); }
    bool Succeeded() const { return m_failures.empty(); }
    const std::vector<std::string>& Failures() const { return m_failures; }
    const std::vector<std::string>& Notes() const { return m_notes; }

    // The text of the message box that ends the action: "Settings saved" or the failures,
    // then the notes.
    std::string Message() const {
        std::string text = Succeeded() ? Messages::SettingsSaved.text
                                       : Messages::SettingsNotSaved.text;
        for (const std::string& failure : m_failures)
            text += "\r\n\r\n" + failure;
        for (const std::string& note : m_notes)
            text += "\r\n\r\n" + note;
        return text;
    }

private:
    std::vector<std::string> m_failures;
    std::vector<std::string> m_notes;
};

// "<path> could not be <verb> because <reason>." as one sentence; without "because" when the
// reason is empty.
inline std::string FailedStep(const std::string& path, const std::string& verb,
                              const std::string& reason) {
    std::string sentence = path + " could not be " + verb;
    if (!reason.empty())
        sentence += " because " + reason;
    return sentence + ".";
}

} // namespace qg
