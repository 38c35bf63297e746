<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en_US" sourcelanguage="zh_CN">
<context>
    <name>Dimmer</name>
    <message>
        <source>联动：移动此推子时，编号更小且也勾选了联动的通道在当前步取同一数值</source>
        <translation>Link: moving this fader sets the lower-numbered linked channels of the current step to the same level</translation>
    </message>
    <message>
        <source>跳变：播放时此通道直接跳到每一步的数值，不渐变；随节目一起保存</source>
        <translation>Snap: during playback this channel jumps to each step&apos;s level without fading; saved with the show</translation>
    </message>
</context>
<context>
    <name>DmxTable</name>
    <message>
        <source>序
号</source>
        <translation>#</translation>
    </message>
    <message>
        <source>速度
 x
0.1秒</source>
        <translation>Speed
 x
0.1 s</translation>
    </message>
    <message>
        <source>渐变
 x
0.1秒</source>
        <translation>Fade
 x
0.1 s</translation>
    </message>
    <message>
        <source>0-10	总闭光</source>
        <translation>0-10	blackout</translation>
    </message>
    <message>
        <source>11-40	自走模式（2通道）	内置效果列表</source>
        <translation>11-40	auto mode (2 channels)	built-in effect list</translation>
    </message>
    <message>
        <source>41-70	声控模式（2通道）	内置效果列表</source>
        <translation>41-70	sound mode (2 channels)	built-in effect list</translation>
    </message>
    <message>
        <source>71-110	DMX通用模式（通道数由菜单决定）	内置图形</source>
        <translation>71-110	DMX general mode (channel count set in the menu)	built-in patterns</translation>
    </message>
    <message>
        <source>SD卡：show1，在show/Param.csv设置</source>
        <translation>SD card: show1, set in show/Param.csv</translation>
    </message>
    <message>
        <source>Rate: 0 – 40帧数/秒（循环播放时有效）</source>
        <translation>Rate: 0 – 40 frames/s (when playing in a loop)</translation>
    </message>
    <message>
        <source>SD卡：show2，</source>
        <translation>SD card: show2,</translation>
    </message>
    <message>
        <source>SD卡：show3，</source>
        <translation>SD card: show3,</translation>
    </message>
    <message>
        <source>SD卡：show4，</source>
        <translation>SD card: show4,</translation>
    </message>
    <message>
        <source>SD卡：show5，</source>
        <translation>SD card: show5,</translation>
    </message>
    <message>
        <source>SD卡：show6，</source>
        <translation>SD card: show6,</translation>
    </message>
    <message>
        <source>SD卡：show7，</source>
        <translation>SD card: show7,</translation>
    </message>
    <message>
        <source>SD卡：Rate: 0，顺序循环播放所有的文件。</source>
        <translation>SD card: Rate: 0, plays all files in order in a loop.</translation>
    </message>
    <message>
        <source>模
式</source>
        <translation>Mod</translation>
    </message>
    <message>
        <source>组</source>
        <translation>Grp</translation>
    </message>
    <message>
        <source>文
件,
场
景</source>
        <translation>Fil
/
Scn</translation>
    </message>
    <message>
        <source>图
形</source>
        <translation>Pat</translation>
    </message>
    <message>
        <source>大
小
x</source>
        <translation>Siz
x</translation>
    </message>
    <message>
        <source>大
小
y</source>
        <translation>Siz
y</translation>
    </message>
    <message>
        <source>旋
转
x</source>
        <translation>Rot
x</translation>
    </message>
    <message>
        <source>旋
转
y</source>
        <translation>Rot
y</translation>
    </message>
    <message>
        <source>位
置
x</source>
        <translation>Pos
x</translation>
    </message>
    <message>
        <source>位
置
y</source>
        <translation>Pos
y</translation>
    </message>
    <message>
        <source>显
点</source>
        <translation>Dot</translation>
    </message>
    <message>
        <source>颜
色</source>
        <translation>Col</translation>
    </message>
    <message>
        <source>渐
绘</source>
        <translation>Drw</translation>
    </message>
    <message>
        <source>渐
绘
颜
色</source>
        <translation>Drw
Col</translation>
    </message>
    <message>
        <source>波
浪
</source>
        <translation>Wav
</translation>
    </message>
    <message>
        <source>波
浪
参
数</source>
        <translation>Wav
Par</translation>
    </message>
    <message>
        <source>红</source>
        <translation>R</translation>
    </message>
    <message>
        <source>绿</source>
        <translation>G</translation>
    </message>
    <message>
        <source>蓝</source>
        <translation>B</translation>
    </message>
    <message>
        <source>微
位
置
x</source>
        <translation>Fin
Pos
x</translation>
    </message>
    <message>
        <source>微
位
置
y</source>
        <translation>Fin
Pos
y</translation>
    </message>
    <message>
        <source>频
闪</source>
        <translation>Str</translation>
    </message>
    <message>
        <source>电
机
A</source>
        <translation>Mot
A</translation>
    </message>
    <message>
        <source>缩
放
位
置
x</source>
        <translation>Zm
Pos
x</translation>
    </message>
    <message>
        <source>缩
放
位
置
y</source>
        <translation>Zm
Pos
y</translation>
    </message>
    <message>
        <source>旋
转
位
置
x</source>
        <translation>Rot
Pos
x</translation>
    </message>
    <message>
        <source>旋
转
位
置
y</source>
        <translation>Rot
Pos
y</translation>
    </message>
    <message>
        <source>翻
转
x</source>
        <translation>Flp
x</translation>
    </message>
    <message>
        <source>翻
转
y</source>
        <translation>Flp
y</translation>
    </message>
    <message>
        <source>分
图
x</source>
        <translation>Spl
x</translation>
    </message>
    <message>
        <source>阵
列</source>
        <translation>Arr</translation>
    </message>
    <message>
        <source>文
件
场
景</source>
        <translation>Fil
/
Scn</translation>
    </message>
    <message>
        <source>声
控
自
走</source>
        <translation>Snd
/
Aut</translation>
    </message>
    <message>
        <source>颜
色
in</source>
        <translation>Col
in</translation>
    </message>
    <message>
        <source>颜
色
下
标</source>
        <translation>Col
idx</translation>
    </message>
    <message>
        <source>颜
色
out</source>
        <translation>Col
out</translation>
    </message>
    <message>
        <source>自
动
位
置
x</source>
        <translation>Aut
Pos
x</translation>
    </message>
    <message>
        <source>自
动
位
置
y</source>
        <translation>Aut
Pos
y</translation>
    </message>
    <message>
        <source>大
小
</source>
        <translation>Siz
</translation>
    </message>
    <message>
        <source>旋
转
</source>
        <translation>Rot
</translation>
    </message>
    <message>
        <source>波
浪
X</source>
        <translation>Wav
X</translation>
    </message>
    <message>
        <source>波
浪
Y</source>
        <translation>Wav
Y</translation>
    </message>
    <message>
        <source>光
闸</source>
        <translation>Sht</translation>
    </message>
    <message>
        <source>缩
放</source>
        <translation>Zm</translation>
    </message>
    <message>
        <source>旋
转</source>
        <translation>Rot</translation>
    </message>
    <message>
        <source>图
形
/
组</source>
        <translation>Pat
/
Grp</translation>
    </message>
    <message>
        <source>频
闪
/
文
件</source>
        <translation>Str
/
Fil</translation>
    </message>
    <message>
        <source>列
表</source>
        <translation>Lst</translation>
    </message>
    <message>
        <source>缩
放
</source>
        <translation>Zm
</translation>
    </message>
    <message>
        <source>点
线
模
式</source>
        <translation>Dot
Ln
Mod</translation>
    </message>
    <message>
        <source>操
控
范
围</source>
        <translation>Ctl
Rng</translation>
    </message>
    <message>
        <source>页</source>
        <translation>Pg</translation>
    </message>
    <message>
        <source>标
记</source>
        <translation>Mrk</translation>
    </message>
    <message>
        <source>速
度
</source>
        <translation>Spd
</translation>
    </message>
    <message>
        <source>亮
度
</source>
        <translation>Brt
</translation>
    </message>
    <message>
        <source>角
度
z</source>
        <translation>Ang
z</translation>
    </message>
    <message>
        <source>扫
描
速
度</source>
        <translation>Scn
Spd</translation>
    </message>
    <message>
        <source>发
布</source>
        <translation>Pub</translation>
    </message>
    <message>
        <source>保
留</source>
        <translation>Rsv</translation>
    </message>
    <message>
        <source>总
调
光</source>
        <translation>Mst
Dim</translation>
    </message>
    <message>
        <source>微
置
x</source>
        <translation>Fin
x</translation>
    </message>
    <message>
        <source>微
置
y</source>
        <translation>Fin
y</translation>
    </message>
    <message>
        <source>大
小</source>
        <translation>Siz</translation>
    </message>
    <message>
        <source>中
心
旋
转</source>
        <translation>Ctr
Rot</translation>
    </message>
    <message>
        <source>波
浪
x</source>
        <translation>Wav
x</translation>
    </message>
    <message>
        <source>波
浪
y</source>
        <translation>Wav
y</translation>
    </message>
    <message>
        <source>光
栅
电
机</source>
        <translation>Grt
Mot</translation>
    </message>
    <message>
        <source>频
闪
渐
绘</source>
        <translation>Str
Drw</translation>
    </message>
    <message>
        <source>加
热</source>
        <translation>Ht</translation>
    </message>
    <message>
        <source>喷
花</source>
        <translation>Spk</translation>
    </message>
    <message>
        <source>x
轴</source>
        <translation>x
Ax</translation>
    </message>
    <message>
        <source>y
轴</source>
        <translation>y
Ax</translation>
    </message>
    <message>
        <source>速
度</source>
        <translation>Spd</translation>
    </message>
    <message>
        <source>缩
放
x</source>
        <translation>Zm
x</translation>
    </message>
    <message>
        <source>缩
放
y</source>
        <translation>Zm
y</translation>
    </message>
    <message>
        <source>颜
色
速
度</source>
        <translation>Col
Spd</translation>
    </message>
    <message>
        <source>光
栅
</source>
        <translation>Grt
</translation>
    </message>
    <message>
        <source>透
明
度</source>
        <translation>Opa</translation>
    </message>
    <message>
        <source>边
界
/
柔
顺</source>
        <translation>Edg
/
Sft</translation>
    </message>
    <message>
        <source>自
走
速
度</source>
        <translation>Aut
Spd</translation>
    </message>
    <message>
        <source>微
旋
转
</source>
        <translation>Fin
Rot
</translation>
    </message>
    <message>
        <source>变
形
宏</source>
        <translation>Mrp
Mac</translation>
    </message>
    <message>
        <source>渐
绘
频
闪</source>
        <translation>Drw
Str</translation>
    </message>
    <message>
        <source>位
置
x
宏</source>
        <translation>Pos
x
Mac</translation>
    </message>
    <message>
        <source>位
置
y
宏</source>
        <translation>Pos
y
Mac</translation>
    </message>
    <message>
        <source>旋
转
宏</source>
        <translation>Rot
Mac</translation>
    </message>
    <message>
        <source>缩
放
宏</source>
        <translation>Zm
Mac</translation>
    </message>
    <message>
        <source>翻
转
x
宏</source>
        <translation>Flp
x
Mac</translation>
    </message>
    <message>
        <source>翻
转
y
宏</source>
        <translation>Flp
y
Mac</translation>
    </message>
    <message>
        <source>颜
色
</source>
        <translation>Col
</translation>
    </message>
    <message>
        <source>移
动
x</source>
        <translation>Mov
x</translation>
    </message>
    <message>
        <source>移
动
y</source>
        <translation>Mov
y</translation>
    </message>
    <message>
        <source>无编辑行：推子不写入任何步</source>
        <translation>No edit row: the faders write into no step</translation>
    </message>
    <message>
        <source>模式通道的数值</source>
        <translation>Values of the mode channel</translation>
    </message>
</context>
<context>
    <name>EffectMenu</name>
    <message>
        <source>生成效果…</source>
        <translation>Generate effect…</translation>
    </message>
    <message>
        <source>同类灯具的此通道…</source>
        <translation>This channel of like fixtures…</translation>
    </message>
    <message>
        <source>复制灯具编程…</source>
        <translation>Copy fixture programming…</translation>
    </message>
</context>
<context>
    <name>FixtureCopyDialog</name>
    <message>
        <source>复制灯具编程</source>
        <translation>Copy fixture programming</translation>
    </message>
    <message>
        <source>已复制灯具 %1 的编程</source>
        <translation>Copied the programming of fixture %1</translation>
    </message>
    <message>
        <source>灯具 %1 的第 %2–%3 步复制到：</source>
        <translation>Copy steps %2–%3 of fixture %1 to:</translation>
    </message>
    <message>
        <source>没有同类灯具</source>
        <translation>No fixtures of the same kind</translation>
    </message>
    <message>
        <source>灯具 %1</source>
        <translation>Fixture %1</translation>
    </message>
    <message>
        <source>每台落后（步）</source>
        <translation>Each one behind by (steps)</translation>
    </message>
    <message>
        <source>复制</source>
        <translation>Copy</translation>
    </message>
    <message>
        <source>取消</source>
        <translation>Cancel</translation>
    </message>
</context>
<context>
    <name>FixturePicker</name>
    <message numerus="yes">
        <source>%n 通道</source>
        <translation>
            <numerusform>%n channel</numerusform>
            <numerusform>%n channels</numerusform>
        </translation>
    </message>
    <message>
        <source>已添加 %1</source>
        <translation>Added %1</translation>
    </message>
    <message>
        <source>无法添加 %1：%2</source>
        <translation>Cannot add %1: %2</translation>
    </message>
    <message>
        <source>灯具或通道已满</source>
        <translation>no room for more fixtures or channels</translation>
    </message>
    <message>
        <source>搜索厂商或型号</source>
        <translation>Search manufacturer or model</translation>
    </message>
    <message>
        <source>全部类别</source>
        <translation>All categories</translation>
    </message>
    <message>
        <source>内置</source>
        <translation>built-in</translation>
    </message>
    <message>
        <source>模式</source>
        <translation>Mode</translation>
    </message>
    <message>
        <source>添加</source>
        <translation>Add</translation>
    </message>
    <message>
        <source>关闭</source>
        <translation>Close</translation>
    </message>
    <message numerus="yes">
        <source>灯具库：%n 个条目</source>
        <translation>
            <numerusform>Fixture library: %n entry</numerusform>
            <numerusform>Fixture library: %n entries</numerusform>
        </translation>
    </message>
    <message>
        <source>正在读取灯具库…</source>
        <translation>Reading the fixture library…</translation>
    </message>
    <message>
        <source>文件…</source>
        <translation>File…</translation>
    </message>
    <message>
        <source>文件夹…</source>
        <translation>Folder…</translation>
    </message>
    <message>
        <source>添加灯具定义文件或文件夹</source>
        <translation>Add a fixture definition file or folder</translation>
    </message>
    <message>
        <source>灯具定义 (*.qxf *.json)</source>
        <translation>Fixture definitions (*.qxf *.json)</translation>
    </message>
</context>
<context>
    <name>GeneratorDialog</name>
    <message>
        <source>生成效果</source>
        <translation>Generate effect</translation>
    </message>
    <message>
        <source>填充</source>
        <translation>Fill</translation>
    </message>
    <message>
        <source>此列</source>
        <translation>This column</translation>
    </message>
    <message>
        <source>同类灯具的此通道</source>
        <translation>This channel of like fixtures</translation>
    </message>
    <message>
        <source>通道范围</source>
        <translation>Channel range</translation>
    </message>
    <message>
        <source>速度</source>
        <translation>Speed</translation>
    </message>
    <message>
        <source>渐变</source>
        <translation>Fade</translation>
    </message>
    <message>
        <source>通道</source>
        <translation>Channels</translation>
    </message>
    <message>
        <source>形状</source>
        <translation>Shape</translation>
    </message>
    <message>
        <source>斜坡</source>
        <translation>Ramp</translation>
    </message>
    <message>
        <source>正弦</source>
        <translation>Sine</translation>
    </message>
    <message>
        <source>三角</source>
        <translation>Triangle</translation>
    </message>
    <message>
        <source>方波</source>
        <translation>Square</translation>
    </message>
    <message>
        <source>锯齿</source>
        <translation>Saw</translation>
    </message>
    <message>
        <source>随机</source>
        <translation>Random</translation>
    </message>
    <message>
        <source>命名值</source>
        <translation>Named values</translation>
    </message>
    <message>
        <source>常量</source>
        <translation>Constant</translation>
    </message>
    <message>
        <source>数值</source>
        <translation>Value</translation>
    </message>
    <message>
        <source>从 A 到 B</source>
        <translation>From A to B</translation>
    </message>
    <message>
        <source>缓动</source>
        <translation>Easing</translation>
    </message>
    <message>
        <source>线性</source>
        <translation>Linear</translation>
    </message>
    <message>
        <source>渐入</source>
        <translation>Ease in</translation>
    </message>
    <message>
        <source>渐出</source>
        <translation>Ease out</translation>
    </message>
    <message>
        <source>渐入渐出</source>
        <translation>Ease in and out</translation>
    </message>
    <message>
        <source>周期数</source>
        <translation>Cycles</translation>
    </message>
    <message>
        <source>相位（度）</source>
        <translation>Phase (degrees)</translation>
    </message>
    <message>
        <source>错开（度/列）</source>
        <translation>Spread (degrees per column)</translation>
    </message>
    <message>
        <source>种子</source>
        <translation>Seed</translation>
    </message>
    <message>
        <source>新种子</source>
        <translation>New seed</translation>
    </message>
    <message>
        <source>没有播放范围或要填充的列</source>
        <translation>No play range or no column to fill</translation>
    </message>
    <message>
        <source>部分数值超出范围，已限制在该栏允许的范围内</source>
        <translation>Some values were out of range and were held within the column&apos;s range</translation>
    </message>
    <message>
        <source>预览：第 %1–%2 步</source>
        <translation>Preview: steps %1–%2</translation>
    </message>
    <message>
        <source>停止</source>
        <translation>Stop</translation>
    </message>
    <message>
        <source>试播</source>
        <translation>Play preview</translation>
    </message>
    <message>
        <source>保留</source>
        <translation>Keep</translation>
    </message>
    <message>
        <source>取消</source>
        <translation>Cancel</translation>
    </message>
</context>
<context>
    <name>RemoteIndicator</name>
    <message>
        <source>OSC :%1</source>
        <translation>OSC :%1</translation>
    </message>
    <message>
        <source>OSC 错误</source>
        <translation>OSC error</translation>
    </message>
    <message>
        <source>OSC 关</source>
        <translation>OSC off</translation>
    </message>
    <message>
        <source>MIDI %1</source>
        <translation>MIDI %1</translation>
    </message>
    <message>
        <source>MIDI 关</source>
        <translation>MIDI off</translation>
    </message>
    <message>
        <source>错误 %1</source>
        <translation>%1 errors</translation>
    </message>
    <message>
        <source>远程控制 (OSC, MIDI)：点击打开设置</source>
        <translation>Remote control (OSC, MIDI): click for the settings</translation>
    </message>
    <message>
        <source>远程关</source>
        <translation>Remote off</translation>
    </message>
    <message>
        <source>MIDI 不可用：%1</source>
        <translation>MIDI unavailable: %1</translation>
    </message>
</context>
<context>
    <name>RemoteSettings</name>
    <message>
        <source>播放</source>
        <translation>Play</translation>
    </message>
    <message>
        <source>停止</source>
        <translation>Stop</translation>
    </message>
    <message>
        <source>下一步</source>
        <translation>Next step</translation>
    </message>
    <message>
        <source>上一步</source>
        <translation>Previous step</translation>
    </message>
    <message>
        <source>跳到步</source>
        <translation>Go to step</translation>
    </message>
    <message>
        <source>播放范围</source>
        <translation>Play range</translation>
    </message>
    <message>
        <source>DMX输出</source>
        <translation>DMX on</translation>
    </message>
    <message>
        <source>黑场</source>
        <translation>Blackout</translation>
    </message>
    <message>
        <source>速度</source>
        <translation>Speed</translation>
    </message>
    <message>
        <source>循环次数</source>
        <translation>Repeats</translation>
    </message>
    <message>
        <source>节拍</source>
        <translation>Tap</translation>
    </message>
    <message>
        <source>音符</source>
        <translation>Note</translation>
    </message>
    <message>
        <source>控制器</source>
        <translation>Controller</translation>
    </message>
    <message>
        <source>音色</source>
        <translation>Program</translation>
    </message>
    <message>
        <source>%1 %2，通道 %3</source>
        <translation>%1 %2, channel %3</translation>
    </message>
    <message>
        <source>OSC 无法在 %1:%2 监听</source>
        <translation>OSC cannot listen on %1:%2</translation>
    </message>
    <message>
        <source>OSC 已关闭</source>
        <translation>OSC is off</translation>
    </message>
    <message>
        <source>OSC 在 %1:%2 监听</source>
        <translation>OSC listens on %1:%2</translation>
    </message>
    <message>
        <source>OSC</source>
        <translation>OSC</translation>
    </message>
    <message>
        <source>端口 (0 = 关)：</source>
        <translation>Port (0 = off):</translation>
    </message>
    <message>
        <source>地址：</source>
        <translation>Address:</translation>
    </message>
    <message>
        <source>应用</source>
        <translation>Apply</translation>
    </message>
    <message>
        <source>MIDI</source>
        <translation>MIDI</translation>
    </message>
    <message>
        <source>端口“dmxplayer in”/“dmxplayer out”(%1)</source>
        <translation>Ports “dmxplayer in” / “dmxplayer out” (%1)</translation>
    </message>
    <message>
        <source>MIDI 不可用：%1</source>
        <translation>MIDI unavailable: %1</translation>
    </message>
    <message>
        <source>输入设备：</source>
        <translation>Input device:</translation>
    </message>
    <message>
        <source>(无)</source>
        <translation>(none)</translation>
    </message>
    <message>
        <source>输出设备：</source>
        <translation>Output device:</translation>
    </message>
    <message>
        <source>学习：</source>
        <translation>Learn:</translation>
    </message>
    <message>
        <source>参数 (可选)</source>
        <translation>Arguments (optional)</translation>
    </message>
    <message>
        <source>取消</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>学习</source>
        <translation>Learn</translation>
    </message>
    <message>
        <source>无法学习 %1</source>
        <translation>Cannot learn %1</translation>
    </message>
    <message>
        <source>请按下或移动控制器上的一个按键、推子或旋钮，绑定到“%1”</source>
        <translation>Press or move a key, fader or knob on the controller to bind it to “%1”</translation>
    </message>
    <message>
        <source>删除</source>
        <translation>Delete</translation>
    </message>
    <message>
        <source>还没有绑定</source>
        <translation>No bindings yet</translation>
    </message>
    <message>
        <source>关闭</source>
        <translation>Close</translation>
    </message>
    <message>
        <source>监听中：%1:%2</source>
        <translation>Listening on %1:%2</translation>
    </message>
</context>
<context>
    <name>SyncIndicator</name>
    <message>
        <source>%1 BPM</source>
        <translation>%1 BPM</translation>
    </message>
    <message>
        <source>— BPM</source>
        <translation>— BPM</translation>
    </message>
    <message>
        <source>时钟</source>
        <translation>clock</translation>
    </message>
    <message>
        <source>%1 拍/步</source>
        <comment>one beat or less</comment>
        <translation>%1 beat/step</translation>
    </message>
    <message>
        <source>%1 拍/步</source>
        <comment>several beats</comment>
        <translation>%1 beats/step</translation>
    </message>
    <message>
        <source>节拍与时间码：点击打开设置</source>
        <translation>Tempo and timecode: click to open the settings</translation>
    </message>
    <message>
        <source>时间码错误</source>
        <translation>timecode error</translation>
    </message>
</context>
<context>
    <name>SyncSettings</name>
    <message>
        <source>关</source>
        <translation>Off</translation>
    </message>
    <message>
        <source>保持时间</source>
        <translation>Hold times</translation>
    </message>
    <message>
        <source>%1 拍</source>
        <comment>one beat or less</comment>
        <translation>%1 beat</translation>
    </message>
    <message>
        <source>%1 拍</source>
        <comment>several beats</comment>
        <translation>%1 beats</translation>
    </message>
    <message>
        <source>节拍</source>
        <translation>Tempo</translation>
    </message>
    <message>
        <source>%1 BPM</source>
        <translation>%1 BPM</translation>
    </message>
    <message>
        <source>— BPM</source>
        <translation>— BPM</translation>
    </message>
    <message>
        <source>来源：%1</source>
        <translation>From: %1</translation>
    </message>
    <message>
        <source>敲击按钮、T 键或 MIDI 时钟</source>
        <translation>Tap the button or the T key, or send a MIDI clock</translation>
    </message>
    <message>
        <source>敲击 (T)</source>
        <translation>Tap (T)</translation>
    </message>
    <message>
        <source>步长</source>
        <translation>Step length</translation>
    </message>
    <message>
        <source>时间码</source>
        <translation>Timecode</translation>
    </message>
    <message>
        <source>偏移 (HH:MM:SS:FF)：</source>
        <translation>Offset (HH:MM:SS:FF):</translation>
    </message>
    <message>
        <source>“%1”不是有效的时间，偏移仍为 %2</source>
        <translation>“%1” is not a valid time; the offset stays %2</translation>
    </message>
    <message>
        <source>当前：</source>
        <translation>Now:</translation>
    </message>
    <message>
        <source>不跟随时间码</source>
        <translation>not chasing timecode</translation>
    </message>
    <message>
        <source>关闭</source>
        <translation>Close</translation>
    </message>
</context>
<context>
    <name>TextIndex</name>
    <message>
        <source>停止</source>
        <translation>Stop</translation>
    </message>
    <message>
        <source>播放</source>
        <translation>Play</translation>
    </message>
    <message>
        <source>全选</source>
        <translation>All</translation>
    </message>
    <message>
        <source>选择</source>
        <translation>Range</translation>
    </message>
    <message>
        <source>DMX关闭</source>
        <translation>DMX off</translation>
    </message>
    <message>
        <source>DMX输出</source>
        <translation>DMX on</translation>
    </message>
    <message>
        <source>Init:</source>
        <translation>Init:</translation>
    </message>
    <message>
        <source>START:</source>
        <translation>START:</translation>
    </message>
    <message>
        <source>0</source>
        <translation>0</translation>
    </message>
    <message>
        <source>END:</source>
        <translation>END:</translation>
    </message>
    <message>
        <source>255</source>
        <translation>255</translation>
    </message>
    <message>
        <source>CHANNEL:</source>
        <translation>CHANNEL:</translation>
    </message>
    <message>
        <source>1</source>
        <translation>1</translation>
    </message>
    <message>
        <source>保存</source>
        <translation>Save</translation>
    </message>
    <message>
        <source>打开</source>
        <translation>Open</translation>
    </message>
    <message>
        <source>上移行</source>
        <translation>Up</translation>
    </message>
    <message>
        <source>下移行</source>
        <translation>Down</translation>
    </message>
    <message>
        <source>增加</source>
        <translation>Add</translation>
    </message>
    <message>
        <source>删除</source>
        <translation>Delete</translation>
    </message>
    <message>
        <source>刷新</source>
        <translation>Refresh</translation>
    </message>
    <message>
        <source>循环次数</source>
        <translation>Repeats</translation>
    </message>
    <message>
        <source>打开演出 (.dmx) 或导入 C 源文件 (.c)</source>
        <translation>Open show (.dmx) or import C source (.c)</translation>
    </message>
    <message>
        <source>打开演出 (.dmx)</source>
        <translation>Open show (.dmx)</translation>
    </message>
    <message>
        <source>保存演出 (.dmx) 或导出 C 源文件 (.c)</source>
        <translation>Save show (.dmx) or export C source (.c)</translation>
    </message>
    <message>
        <source>保存演出 (.dmx)</source>
        <translation>Save show (.dmx)</translation>
    </message>
    <message>
        <source>替换文件</source>
        <translation>Replace file</translation>
    </message>
    <message>
        <source>未保存的更改</source>
        <translation>Unsaved changes</translation>
    </message>
    <message>
        <source>演出有未保存的更改。关闭前要保存吗？</source>
        <translation>The show has unsaved changes. Save them before closing?</translation>
    </message>
    <message>
        <source>删除播放范围内的所有步（表中带阴影的行）</source>
        <translation>Deletes every step of the play range (the shaded rows of the table)</translation>
    </message>
    <message>
        <source>检查中…</source>
        <translation>checking…</translation>
    </message>
    <message>
        <source>olad未运行</source>
        <translation>no olad</translation>
    </message>
    <message>
        <source>olad已连接</source>
        <translation>olad ok</translation>
    </message>
    <message>
        <source>无输出端口</source>
        <translation>no port</translation>
    </message>
    <message>
        <source>olad无响应</source>
        <translation>olad stalled</translation>
    </message>
    <message>
        <source>播放时不能重做：请先停止播放</source>
        <translation>Cannot redo while playing: stop playback first</translation>
    </message>
    <message>
        <source>播放时不能撤销：请先停止播放</source>
        <translation>Cannot undo while playing: stop playback first</translation>
    </message>
    <message>
        <source>已重做</source>
        <translation>Redone</translation>
    </message>
    <message>
        <source>已撤销</source>
        <translation>Undone</translation>
    </message>
    <message numerus="yes">
        <source>已剪切 %n 步</source>
        <translation>
            <numerusform>Cut %n step</numerusform>
            <numerusform>Cut %n steps</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>已复制 %n 步</source>
        <translation>
            <numerusform>Copied %n step</numerusform>
            <numerusform>Copied %n steps</numerusform>
        </translation>
    </message>
    <message>
        <source>无法粘贴：%1</source>
        <translation>Cannot paste: %1</translation>
    </message>
    <message numerus="yes">
        <source>已粘贴 %n 步</source>
        <translation>
            <numerusform>Pasted %n step</numerusform>
            <numerusform>Pasted %n steps</numerusform>
        </translation>
    </message>
    <message>
        <source>上次的程序没有保存就结束了，留下了恢复副本：
%1，%2，%3 步，%4 个灯具。
要打开它吗？</source>
        <translation>The program ended last time without saving and left a recovery copy:
%1, %2, %3 steps, %4 fixtures.
Open it?</translation>
    </message>
    <message>
        <source>新演出</source>
        <translation>new show</translation>
    </message>
    <message>
        <source>恢复副本</source>
        <translation>Recovery copy</translation>
    </message>
    <message>
        <source>选择歌曲</source>
        <translation>Choose a song</translation>
    </message>
    <message>
        <source>歌曲 (*.wav *.flac *.ogg *.oga *.opus *.mp3)</source>
        <translation>Songs (*.wav *.flac *.ogg *.oga *.opus *.mp3)</translation>
    </message>
    <message numerus="yes">
        <source>已把 %n 步放在节拍上</source>
        <translation>
            <numerusform>Placed %n step on the beats</numerusform>
            <numerusform>Placed %n steps on the beats</numerusform>
        </translation>
    </message>
    <message>
        <source>选择…</source>
        <translation>Choose…</translation>
    </message>
    <message>
        <source>BPM，首拍</source>
        <translation>BPM, first beat</translation>
    </message>
    <message>
        <source>ms</source>
        <translation>ms</translation>
    </message>
    <message>
        <source>踩点</source>
        <translation>On beats</translation>
    </message>
    <message>
        <source>设置播放范围内各步的保持时间，使每一步都从节拍上开始</source>
        <translation>Sets the hold times of the steps in the play range so that each step starts on a beat</translation>
    </message>
    <message>
        <source>每 %1 拍</source>
        <translation>Beats: %1</translation>
    </message>
    <message>
        <source>移除</source>
        <translation>Remove</translation>
    </message>
    <message>
        <source>时间线</source>
        <translation>Timeline</translation>
    </message>
</context>
<context>
    <name>fileWorkflow</name>
    <message>
        <source>“%1” 已存在。要替换它吗？</source>
        <translation>“%1” already exists. Do you want to replace it?</translation>
    </message>
    <message>
        <source>保存已取消</source>
        <translation>Save cancelled</translation>
    </message>
    <message>
        <source>无法保存：%1</source>
        <translation>Cannot save: %1</translation>
    </message>
    <message>
        <source>已导出 %1</source>
        <translation>Exported %1</translation>
    </message>
    <message>
        <source>已保存 %1</source>
        <translation>Saved %1</translation>
    </message>
    <message>
        <source>无法打开 %1：%2</source>
        <translation>Cannot open %1: %2</translation>
    </message>
    <message>
        <source>；灯具列表已损坏：已载入步，未载入灯具</source>
        <translation>; fixture list damaged: the steps were loaded without it</translation>
    </message>
    <message>
        <source>已打开 %1</source>
        <translation>Opened %1</translation>
    </message>
    <message>
        <source>；文件中的灯具未添加：表格保留自己的灯具</source>
        <translation>; the file&apos;s fixtures were not added: the table keeps its own</translation>
    </message>
    <message>
        <source>；只添加了文件中 %1 个灯具中的 %2 个</source>
        <translation>; only %2 of the file&apos;s %1 fixtures were added</translation>
    </message>
    <message>
        <source>无法打开恢复副本 %1：%2</source>
        <translation>Cannot open the recovery copy %1: %2</translation>
    </message>
    <message>
        <source>已恢复 %1</source>
        <translation>Recovered %1</translation>
    </message>
    <message>
        <source>新演出</source>
        <translation>new show</translation>
    </message>
    <message>
        <source>；歌曲信息已损坏：未载入歌曲</source>
        <translation>; the song block is damaged: the song was not loaded</translation>
    </message>
</context>
<context>
    <name>main</name>
    <message>
        <source>Divezuveror DMX512 测试用</source>
        <translation>Divezuveror DMX512 (test)</translation>
    </message>
    <message>
        <source>Divezuveror DMX512 用户</source>
        <translation>Divezuveror DMX512</translation>
    </message>
    <message>
        <source>0</source>
        <translation>0</translation>
    </message>
    <message>
        <source>设置全部</source>
        <translation>Set all</translation>
    </message>
    <message>
        <source>删除灯具</source>
        <translation>Del fixture</translation>
    </message>
    <message>
        <source>添加灯具</source>
        <translation>Add fixture</translation>
    </message>
    <message>
        <source>mounts:</source>
        <translation>Fixtures:</translation>
    </message>
    <message>
        <source>播放中…</source>
        <translation>Playing…</translation>
    </message>
    <message>
        <source>已停止</source>
        <translation>Stopped</translation>
    </message>
    <message>
        <source>至</source>
        <translation>to</translation>
    </message>
    <message>
        <source>灯具库…</source>
        <translation>Library…</translation>
    </message>
    <message>
        <source>黑场中 (B)</source>
        <translation>BLACKOUT (B)</translation>
    </message>
    <message>
        <source>黑场 (B)</source>
        <translation>Blackout (B)</translation>
    </message>
    <message>
        <source>音乐…</source>
        <translation>Song…</translation>
    </message>
    <message>
        <source>选择与演出一起播放的歌曲</source>
        <translation>Choose the song the show plays to</translation>
    </message>
    <message>
        <source>%1，%2 BPM，首拍 %3 ms</source>
        <translation>%1, %2 BPM, first beat %3 ms</translation>
    </message>
</context>
<context>
    <name>midiRemote</name>
    <message>
        <source>没有 ALSA 音序器 (/dev/snd/seq)</source>
        <translation>no ALSA sequencer (/dev/snd/seq)</translation>
    </message>
    <message>
        <source>没有 ALSA 音序器，也没有运行中的 JACK 服务器</source>
        <translation>no ALSA sequencer and no JACK server running</translation>
    </message>
</context>
<context>
    <name>showRecovery</name>
    <message>
        <source>无法写入恢复副本：%1</source>
        <translation>Cannot write the recovery copy: %1</translation>
    </message>
    <message>
        <source>%1（%2）</source>
        <translation>%1 (%2)</translation>
    </message>
    <message>
        <source>恢复副本已损坏，未打开，已移到一旁：%1</source>
        <translation>A recovery copy is damaged; it was not opened and was set aside: %1</translation>
    </message>
</context>
<context>
    <name>songState</name>
    <message>
        <source>无法读取歌曲 %1：%2</source>
        <translation>Cannot read the song %1: %2</translation>
    </message>
</context>
<context>
    <name>songTransport</name>
    <message>
        <source>歌曲无法读取：%1</source>
        <translation>The song cannot be read: %1</translation>
    </message>
    <message>
        <source>没有音频设备，歌曲无声播放</source>
        <translation>No audio device: the song plays silently</translation>
    </message>
</context>
<context>
    <name>startFiles</name>
    <message>
        <source>文件不存在</source>
        <translation>no such file</translation>
    </message>
    <message>
        <source>这是一个文件夹</source>
        <translation>is a folder</translation>
    </message>
    <message>
        <source>没有读取权限</source>
        <translation>permission denied</translation>
    </message>
    <message>
        <source>不是 .dmx 或 .c 文件</source>
        <translation>neither a .dmx nor a .c file</translation>
    </message>
    <message>
        <source>无法打开 %1：%2</source>
        <translation>cannot open %1: %2</translation>
    </message>
</context>
<context>
    <name>syncControl</name>
    <message>
        <source>MIDI 时钟</source>
        <translation>MIDI clock</translation>
    </message>
    <message>
        <source>时间码停止，输出保持</source>
        <translation>timecode stopped, output held</translation>
    </message>
    <message>
        <source>等待时间码</source>
        <translation>waiting for timecode</translation>
    </message>
    <message>
        <source>敲击</source>
        <translation>tap</translation>
    </message>
    <message>
        <source>跟随时间码</source>
        <translation>following timecode</translation>
    </message>
    <message>
        <source>未知的时间码来源 %1</source>
        <translation>unknown timecode source %1</translation>
    </message>
    <message>
        <source>MIDI 输入不可用：%1</source>
        <translation>MIDI input not available: %1</translation>
    </message>
</context>
</TS>
