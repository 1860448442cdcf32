// Writes the bundle's ports.ttl at build time: the template's marks {{index.field}} filled in from
// the core's parameter table, so the Turtle never restates a name, range, default or label.
//   slopecrush-ports-turtle TEMPLATE OUTPUT
#include "parametertable.h"

#include <charconv>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>

namespace {

// A plain value as a Turtle literal: an integer for a stepped parameter, else a decimal (with a
// point, so it stays a decimal), as short as reads back exactly.
std::string literal(const deltamod::Parameter& parameter, double value) {
    char text[32];
    const auto result = std::to_chars(text, text + sizeof text, value);
    std::string number(text, result.ptr);
    if (!parameter.stepped && number.find_first_of(".e") == std::string::npos) number += ".0";
    return number;
}

// Every plain value of a stepped parameter, labelled with its display text.
std::string scalePoints(int index) {
    const deltamod::Parameter& parameter = deltamod::kParameters[index];
    std::string points;
    for (int value = static_cast<int>(parameter.minimum);
         value <= static_cast<int>(parameter.maximum); ++value) {
        char label[32];
        deltamod::plainValueText(index, value, label, sizeof label);
        const std::string number = std::to_string(value);
        points += (points.empty() ? "" : " ,\n") + std::string(12, ' ') + "[ rdf:value " + number +
                  std::string(3 - number.size(), ' ') + "; rdfs:label \"" + label + "\" ]";
    }
    return points;
}

std::string field(int index, const std::string& name) {
    const deltamod::Parameter& parameter = deltamod::kParameters[index];
    if (name == "name") return parameter.name;
    if (name == "symbol") return parameter.symbol;
    if (name == "default") return literal(parameter, parameter.defaultValue);
    if (name == "minimum") return literal(parameter, parameter.minimum);
    if (name == "maximum") return literal(parameter, parameter.maximum);
    if (name == "scalePoints") return scalePoints(index);
    throw std::runtime_error("unknown field '" + name + "'");
}

std::string filled(const std::string& text) {
    std::string out;
    std::size_t at = 0;
    for (std::size_t open; (open = text.find("{{", at)) != std::string::npos;) {
        const std::size_t close = text.find("}}", open);
        const std::size_t dot = text.find('.', open);
        if (close == std::string::npos || dot > close)
            throw std::runtime_error("a mark without its index.field}}");
        const int index = std::stoi(text.substr(open + 2, dot - open - 2));
        if (!deltamod::isParameter(index))
            throw std::runtime_error("no parameter " + std::to_string(index));
        out += text.substr(at, open - at) + field(index, text.substr(dot + 1, close - dot - 1));
        at = close + 2;
    }
    return out + text.substr(at);
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::cerr << "usage: slopecrush-ports-turtle TEMPLATE OUTPUT\n";
        return 2;
    }
    try {
        std::ifstream in(argv[1]);
        std::stringstream text;
        text << in.rdbuf();
        if (!in) throw std::runtime_error(std::string("cannot read ") + argv[1]);
        std::ofstream out(argv[2], std::ios::trunc);
        out << filled(text.str());
        out.close();
        if (!out) throw std::runtime_error(std::string("cannot write ") + argv[2]);
    } catch (const std::exception& e) {
        std::cerr << "slopecrush-ports-turtle: " << e.what() << "\n";
        std::remove(argv[2]);
        return 1;
    }
    return 0;
}
