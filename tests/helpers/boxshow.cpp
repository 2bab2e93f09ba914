// Shows the message boxes given on its command line, one after the other:
//   boxshow <style> <caption> <text> [<style> <caption> <text> ...]
// The exit code is the sum of the pressed buttons' ids, weighted by their order (id * 10^index).
#include <windows.h>

#include <cstdlib>

int main(int argc, char** argv)
{
    int result = 0, weight = 1;
    for (int i = 1; i + 2 < argc; i += 3) {
        result += weight * MessageBoxA(nullptr, argv[i + 2], argv[i + 1], static_cast<UINT>(std::strtoul(argv[i], nullptr, 0)));
        weight *= 10;
    }
    return result;
}
