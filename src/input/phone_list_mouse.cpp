#include "app/form1.h"

void Form1::ListView1_MouseMove()
{
    ResetPointer();
}
