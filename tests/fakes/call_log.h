#pragma once

#include <algorithm>
#include <set>
#include <string>
#include <vector>

#include "common/failure.h"

namespace zelt::testing {

// One log for every fake, so tests can check the order of platform calls across them, and one set
// of operations told to fail.
struct CallLog {
    std::vector<std::string> calls;
    std::set<std::string> failing;

    // Logs the call, then fails it if the test asked for that.
    void call(const std::string& name, const std::string& detail = {}) {
        calls.push_back(detail.empty() ? name : name + "(" + detail + ")");
        if (failing.count(name) != 0) throw Failure(4242, name + " told to fail");
    }

    bool contains(const std::string& entry) const {
        return std::find(calls.begin(), calls.end(), entry) != calls.end();
    }

    // Position of the first entry that starts with the prefix, or -1.
    long indexOf(const std::string& prefix) const {
        for (std::size_t i = 0; i < calls.size(); ++i) {
            if (calls[i].rfind(prefix, 0) == 0) return static_cast<long>(i);
        }
        return -1;
    }
};

}  // namespace zelt::testing
