// The boreholes the ground's tests share: ZK1 is the hand-checked profile of the capacity tests.
#pragma once

#include <string>

namespace saxolith::test
{

// ZK1: collar 10.00; ① to 3.0 m, ② to 9.5 m, ③ to 14.0 m, the rock ④ to 30.0 m. A pile topped at 8.50
// passes 1.5 m of ①, 6.5 m of ②, 4.5 m of ③ before it reaches ④ at 14.0 m.
inline const std::string boreholesCsv =
    "钻孔,孔口标高(m),层号,岩土名称,层底深度(m),qsia(kPa),qsik(kPa),qpa(kPa),frk(MPa),完整程度\n"
    "ZK1,10.00,①,素填土,3.0,9,18,,,\n"
    "ZK1,,②,粉质黏土,9.5,31,62,,,\n"
    "ZK1,,③,强风化砂岩,14.0,70,140,-,,\n"
    "ZK1,,④,中风化砂岩,30.0,100,,3000,20,较完整\n"
    "ZK2,12.5,4-1,粉质黏土,4.0,30,60,,,\n"
    "ZK2,12.5,4-2,中风化灰岩,12,,,,45,0.8\n";

} // namespace saxolith::test
