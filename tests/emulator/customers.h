#pragma once
// The customer archive of a register that plays a model: its records kept by
// customer code in numeric order, in the form of the model's customer record
// generation (1 to 4) and of the protocol level the register works at.
//
// Wire forms (fields separated by ":"): generations 1 and 2 end every field
// with ":" (8 and 6 fields); generations 3 and 4 send 8 base fields and, at
// level 1, 4 or 6 more, without ":" after the last. A read ("&I" and a code
// range) sends each customer as all its fields each ended by ":", followed by
// one more field of the register's own (the customer's position in its
// archive) and ":", which the program does not store. A register that plays
// no model (generation 0) keeps the fields of each record as they come.
#include <map>
#include <string>
#include <vector>

namespace emu {

// The customer record generation of a model and release (0 without a model).
int CustomerGeneration(const std::string& model, const std::string& release);

class CustomerArchive {
public:
    // A record of a send; false (nothing kept) when it does not hold the
    // generation's fields at that level. A kept record replaces the customer
    // of the same code.
    bool Take(const std::string& record, int generation, int level);
    // The "C16" data lines of a read request ("&I<first>:<last>"), code order.
    std::vector<std::string> Lines(const std::string& request, int generation, int level) const;
    // Every customer, code order, each field ended by ":".
    std::vector<std::string> All() const;
    // Replaces the archive (records with every field ended by ":").
    void Set(const std::vector<std::string>& records);

private:
    std::map<std::string, std::vector<std::string>> byCode_;  // code right-aligned in 12
};

}  // namespace emu
