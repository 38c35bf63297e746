<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en_US" sourcelanguage="zh_CN">
<context>
    <name>main</name>
    <message>
        <source>Divezuveror DMX512 测试用</source>
        <translation>Divezuveror DMX512 (test)</translation>
    </message>
</context>
</TS>
