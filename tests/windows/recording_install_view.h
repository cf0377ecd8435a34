// An InstallView that records what the installation shows. Boxes and status
// lines also go, in order, into `shown` ("status: ", "info: ", "retry: " in
// front), so a test can check what came first. The retry box answers from
// `retryAnswers`, then Cancel, as a silent run does.
#pragma once

#include <deque>
#include <mutex>
#include <string>
#include <vector>

#include "install/install_view.h"

class RecordingInstallView : public quibo::InstallView {
public:
    explicit RecordingInstallView(std::deque<bool> answers = {}) : retryAnswers(std::move(answers)) {}

    void SetStatus(const std::string& text) override { Record(statuses, "status: ", text); }
    void SetTrayStage(const std::string& stage) override
    {
        Lock l(m_);
        trayStages.push_back(stage);
    }
    void SetProgressRange(int maximum) override
    {
        Lock l(m_);
        progressRange = maximum;
    }
    void SetProgress(int position) override
    {
        Lock l(m_);
        progress.push_back(position);
    }
    void ShowInfo(const std::string& text) override { Record(infos, "info: ", text); }
    bool AskRetry(const std::string& text) override
    {
        Record(retryQuestions, "retry: ", text);
        Lock l(m_);
        if (retryAnswers.empty()) return false;
        bool answer = retryAnswers.front();
        retryAnswers.pop_front();
        return answer;
    }

    // Read these only while the installation does not run on another thread.
    std::vector<std::string> statuses, trayStages, infos, retryQuestions, shown;
    std::vector<int> progress;
    int progressRange = -1;
    std::deque<bool> retryAnswers;

private:
    using Lock = std::lock_guard<std::mutex>;
    void Record(std::vector<std::string>& into, const char* kind, const std::string& text)
    {
        Lock l(m_);
        into.push_back(text);
        shown.push_back(kind + text);
    }
    std::mutex m_;
};
