#include "KorvanCli.h"

int main(int argc, char** argv)
{
    return KorvanCli::Run(argc, argv);
}
