#pragma once
#include <string>

namespace orvexctl {

// Where a camera password comes from, so it never has to stand on the command line: the
// --password option, a --password-file, the environment variable ORVEX_PASSWORD, or, on a
// terminal, a prompt that does not echo. Empty when none of them gives one.
class PasswordInput {
public:
    // Takes --password VALUE or --password-file FILE at args[i] (advancing i); false when
    // args[i] is neither.
    bool TakeOption(const std::string& option, const std::string* value, std::string* error);
    // The password, in the order above; a prompt names the account and host. False with a
    // message when the file cannot be read.
    bool Resolve(const std::string& account, const std::string& host, std::string* password,
                 std::string* error) const;

private:
    bool m_hasPassword = false;
    std::string m_password;
    std::string m_file;
};

}  // namespace orvexctl
