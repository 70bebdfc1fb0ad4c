/*
 * What an installation or removal reports: the steps that failed, each in plain words with the
 * file it concerns. Only a report without failures may be answered with "Settings saved".
 */
#pragma once

#include "lockconfig/Messages.h"

#include <string>
#include <vector>

namespace qg {

class Outcome {
public:
    void Fail(std::string sentence) { m_failures.push_back(std::move(sentence)); }
    bool Succeeded() const { return m_failures.empty(); }
    const std::vector<std::string>& Failures() const { return m_failures; }

    // The text of the message box that reports the failures.
    std::string Message() const {
        std::string text = Messages::SettingsNotSaved.text;
        for (const std::string& failure : m_failures)
            text += "\r\n\r\n" + failure;
        return text;
    }

private:
    std::vector<std::string> m_failures;
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
