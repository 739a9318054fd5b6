// Reads recipient lists, one a line, on standard input and prints how the
// plug-in reads each: for every entry the tokenizer cuts, the lines
// "entry:", "name:" and "address:" followed by the entry and the display name
// and address the splitter takes from it; the line "end" closes each list.
#include <iostream>
#include <string>
#include <vector>

#include "recipients/recipients.h"

namespace {

constexpr int kSplitSize = 256;  // each result of the splitter, as for From

}  // namespace

int main() {
    std::string line;
    while (std::getline(std::cin, line)) {
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        std::vector<char> list(line.begin(), line.end());
        list.push_back('\0');
        char* cursor = nullptr;
        for (char* entry = telepost::NextRecipient(list.data(), &cursor); entry != nullptr;
             entry = telepost::NextRecipient(nullptr, &cursor)) {
            char name[kSplitSize];
            char address[kSplitSize];
            telepost::SplitMailbox(name, kSplitSize, address, kSplitSize, entry);
            std::cout << "entry:" << entry << "\nname:" << name << "\naddress:" << address << '\n';
        }
        std::cout << "end\n";
    }
    return 0;
}
