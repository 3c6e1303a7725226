object NewsDesignForm: TNewsDesignForm
  Left = 160
  Top = 120
  Width = 440
  Height = 400
  BorderStyle = bsDialog
  Caption = 'Newsletter design'
  Color = clBtnFace
  Font.Name = 'DejaVu Sans'
  Font.Height = -11
  Position = poMainFormCenter
  object Label1: TLabel
    Left = 12
    Top = 16
    Caption = 'Mail background:'
  end
  object VorelColorComboBox1: TVorelColorComboBox
    Left = 200
    Top = 12
    Width = 140
    ColorValue = 8421504
  end
  object Label2: TLabel
    Left = 12
    Top = 44
    Caption = 'Caption background:'
  end
  object VorelColorComboBox2: TVorelColorComboBox
    Left = 200
    Top = 40
    Width = 140
  end
  object Label3: TLabel
    Left = 12
    Top = 72
    Caption = 'Bottom caption backgr.:'
  end
  object VorelColorComboBox3: TVorelColorComboBox
    Left = 200
    Top = 68
    Width = 140
  end
  object Label4: TLabel
    Left = 12
    Top = 100
    Caption = 'Border:'
  end
  object VorelColorComboBox4: TVorelColorComboBox
    Left = 200
    Top = 96
    Width = 140
  end
  object Label5: TLabel
    Left = 12
    Top = 132
    Caption = 'Width in pixels:'
  end
  object BreitEd: TOrvSpinEdit
    Left = 200
    Top = 128
    Width = 80
    Height = 21
    MaxValue = 1024
    MinValue = 100
    Value = 550
  end
  object Label6: TLabel
    Left = 12
    Top = 160
    Caption = 'Minimal height in pixels:'
  end
  object MinHEd: TOrvSpinEdit
    Left = 200
    Top = 156
    Width = 80
    Height = 21
    MaxValue = 10000
    MinValue = 10
    Value = 400
  end
  object Label7: TLabel
    Left = 12
    Top = 192
    Caption = 'Caption:'
  end
  object UeberSchriftEd: TEdit
    Left = 200
    Top = 188
    Width = 220
    Height = 21
    Text = 'Newsletter'
  end
  object Label8: TLabel
    Left = 12
    Top = 220
    Caption = 'Bottom caption:'
  end
  object UnterSchriftEd: TEdit
    Left = 200
    Top = 216
    Width = 220
    Height = 21
    Text = 'You receive this newsletter because you asked for it.'
  end
  object Font1Btn: TBitBtnXP
    Left = 12
    Top = 256
    Width = 180
    Height = 25
    Caption = 'Caption font'
    OnClick = Font1BtnClick
  end
  object Font2Btn: TBitBtnXP
    Left = 200
    Top = 256
    Width = 180
    Height = 25
    Caption = 'Bottom caption font'
    OnClick = Font2BtnClick
  end
  object OKBtn: TBitBtnXP
    Left = 170
    Top = 320
    Width = 90
    Height = 25
    Kind = bkOK
  end
  object FontDialog1: TFontDialog
    Font.Name = 'Arial Black'
    Font.Height = -19
    Font.Color = clWhite
  end
  object FontDialog2: TFontDialog
    Font.Name = 'Arial'
    Font.Height = -11
    Font.Color = clWhite
  end
end
