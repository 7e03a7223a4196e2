#include <iostream>
#include <string>
#include <vector>

#include "host/cli.h"

int main(int argc, char** argv) {
  return hv::runHost(std::vector<std::string>(argv, argv + argc), std::cout, std::cerr);
}
