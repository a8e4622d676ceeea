#pragma once
// Every text the tool shows, in the language of the cameras' users.

#include <string>

namespace kavlo {

inline constexpr const char* kNoChoice = "No Choice";
inline constexpr const char* kTemplatePrefix = "模板_";
inline constexpr const char* kOutputPrefix = "new_";

inline constexpr const char* kChooseCameraClip =
    "请选择一个你自己相机录像（分辨率为：320*240）MOV文件，然后按下“创建模板”按钮";
inline constexpr const char* kNotCameraClip =
    "对不起！你选择的不是kodak DC录像MOV文件，或是你的机型录像MOV文件结构比较特殊，本程序暂不支持！";
inline constexpr const char* kTemplateCreated = "从你的机型录像MOV文件创建模板文件成功！程序将关闭，请重新运行！";
inline constexpr const char* kNoTarget = "你还没有选定要修改的MOV文件，请选择文件！";
inline constexpr const char* kNoTemplate = "你还没有选定作参照的模板文件，请选择模板！";
inline constexpr const char* kTemplateAsTarget = "错误：你选择了模版当目标文件！";
inline constexpr const char* kCodecDiffers = "你的目标文件视频和音频编码与模板不相同！请重新处理目标MOV文件！";
inline constexpr const char* kSampleRateDiffers = "你的目标文件音频采样率与模板不相同！请重新处理目标MOV文件！";
inline constexpr const char* kSampleSizeNotOne =
    "你的目标文件音频样本（sample size）不是1个字节的！请重新处理目标MOV文件！";
inline constexpr const char* kConverted = "更换机型成功！可以到你的相机<kodak 部分机型>上播放了！";
inline constexpr const char* kMoreThanTwoTrak = "这个MOV有两个以上的trak";
inline constexpr const char* kMoreThanTwoMdia = "这个MOV有两个以上的mdia";
inline constexpr const char* kMoreThanTwoMinf = "这个MOV有两个以上的minf";
inline constexpr const char* kMoreThanTwoEdts = "这个MOV有两个以上的edts";
inline constexpr const char* kMoreThanTwoStbl = "这个MOV有两个以上的stbl";

// Files that cannot be read, written or understood: the tool stops and changes nothing.
inline constexpr const char* kCannotRead = "无法读取文件：";
inline constexpr const char* kCannotWrite = "无法写入文件：";
inline constexpr const char* kTargetDamaged = "目标MOV文件不完整或结构无法识别，无法处理！";
inline constexpr const char* kTemplateDamaged = "模板文件不完整或已损坏，请重新创建模板！";
inline constexpr const char* kOutputIsInput = "错误：输出文件不能是目标文件或模板文件！";
inline constexpr const char* kOutputExists = "输出文件已存在，不会覆盖：";

// A refusal and whether it ends the program (the window stays open otherwise).
struct Refusal {
    std::string message;
    bool endsProgram = false;
};

} // namespace kavlo
