#pragma once

#include <map>
#include <string>
#include <vector>

#include "platform/CommandRunner.h"

namespace TestSupport {

using Call = std::vector<std::string>;

// Stands in for the desktops' tools: writes down every call and answers from a table (a
// call it has no answer for succeeds with no output).
struct Desk {
    std::vector<Call> Calls;
    std::map<Call, CommandRunner::Result> Answers;
};

class RecordingRunner : public CommandRunner {
public:
    explicit RecordingRunner(Desk& desk) : desk_(desk) {}
    Result Run(const std::string& program, const std::vector<std::string>& arguments) override {
        Call call{program};
        call.insert(call.end(), arguments.begin(), arguments.end());
        desk_.Calls.push_back(call);
        const auto answer = desk_.Answers.find(call);
        return answer != desk_.Answers.end() ? answer->second : Result{true, ""};
    }

private:
    Desk& desk_;
};

}  // namespace TestSupport
