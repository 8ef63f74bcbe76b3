#include <iostream>
#include <string>
#include <vector>

#include "platform/xbase32/table_tool.h"

int main(int argc, char** argv) {
    return xb::RunTableTool(std::vector<std::string>(argv + 1, argv + argc), std::cout, std::cerr);
}
