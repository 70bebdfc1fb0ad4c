// Writes a password file the way the configuration program does, so the DOS
// tests read exactly what an installation leaves: make_password_file OUT PW
#include "lockconfig/Password.h"

#include <fstream>
#include <iostream>

int main(int argc, char** argv) {
    if (argc != 3) {
        std::cerr << "usage: make_password_file OUT PASSWORD\n";
        return 2;
    }
    const std::string scrambled = qg::ScramblePassword(argv[2]);
    std::ofstream out(argv[1], std::ios::binary | std::ios::trunc);
    out.write(scrambled.data(), static_cast<std::streamsize>(scrambled.size()));
    return out.good() ? 0 : 1;
}
